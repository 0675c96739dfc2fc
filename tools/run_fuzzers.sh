#!/usr/bin/env bash
# Builds the fuzz targets (preset "fuzz", clang) and runs each one for
# SECONDS (default 60) over its checked-in corpus. Fails on any crash, hang,
# leak or sanitizer report; the input that caused it is kept under
# build/fuzz/findings/ and its log is printed.
#
#   tools/run_fuzzers.sh [SECONDS] [TARGET...]
#
# Targets run side by side, as many at a time as there are processors
# (VEXIL_FUZZ_JOBS overrides). New inputs the fuzzer finds go to
# build/fuzz/work/, never into the checked-in corpus.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

build=build/fuzz
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for corpus in fuzz/corpus/*/; do targets+=("$(basename "$corpus")"); done
fi
jobs=${VEXIL_FUZZ_JOBS:-$(nproc)}

run_one() {
  local name=$1
  local work="$build/work/$name" findings="$build/findings/$name" log="$build/logs/$name.log"
  mkdir -p "$work" "$findings" "$(dirname "$log")"
  local options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048
                 -print_final_stats=1 -artifact_prefix="$findings/")
  [ -f "fuzz/dict/$name.dict" ] && options+=(-dict="fuzz/dict/$name.dict")
  [ -f "fuzz/$name.flags" ] && options+=($(grep -v '^#' "fuzz/$name.flags"))
  if "$build/fuzz/fuzz_$name" "${options[@]}" "$work" "fuzz/corpus/$name" >"$log" 2>&1; then
    echo "fuzz $name: ok, $(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$') runs in ${seconds}s"
  else
    echo "fuzz $name: FINDING (log $log, inputs in $findings/)"
    tail -n 60 "$log"
    return 1
  fi
}
export -f run_one
export build seconds

status=0
printf '%s\n' "${targets[@]}" | xargs -P "$jobs" -I{} bash -c 'run_one "$@"' _ {} || status=1
exit $status
