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

root=$PWD
build=$root/build/fuzz
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for corpus in fuzz/corpus/*/; do targets+=("$(basename "$corpus")"); done
fi
jobs=${VEXIL_FUZZ_JOBS:-$(nproc)}

run_one() {
  local name=$1
  local work="$build/work/$name" findings="$build/findings/$name" log="$build/logs/$name.log"
  # Inputs may name files that the code under test writes (a debug file, say):
  # each target runs in a scratch folder of its own, never in the source tree.
  local scratch="$build/scratch/$name"
  mkdir -p "$work" "$findings" "$(dirname "$log")" "$scratch"
  local options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048
                 -print_final_stats=1 -artifact_prefix="$findings/")
  [ -f "$root/fuzz/dict/$name.dict" ] && options+=(-dict="$root/fuzz/dict/$name.dict")
  [ -f "$root/fuzz/$name.flags" ] && options+=($(grep -v '^#' "$root/fuzz/$name.flags"))
  if (cd "$scratch" && "$build/fuzz/fuzz_$name" "${options[@]}" "$work" "$root/fuzz/corpus/$name") >"$log" 2>&1; then
    echo "fuzz $name: ok, $(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$') runs in ${seconds}s"
  else
    echo "fuzz $name: FINDING (log $log, inputs in $findings/)"
    tail -n 60 "$log"
    return 1
  fi
}
export -f run_one
export root build seconds

status=0
printf '%s\n' "${targets[@]}" | xargs -P "$jobs" -I{} bash -c 'run_one "$@"' _ {} || status=1
exit $status
