#!/usr/bin/env bash
# Checks that the C++ sources follow .clang-format and pass .clang-tidy.
#
#   tools/check_style.sh                check every tracked source
#   tools/check_style.sh --format-only  only the format (seconds, not minutes)
#   tools/check_style.sh --fix          rewrite the files in the format instead
#
# clang-tidy reads the compile commands of a clang build with the fuzz
# targets and benchmarks (build/style, configured here), so it sees every
# file it checks with the flags it is built with. The Windows-only sources
# (*_win32.cpp and the windowed program's) are formatted but not tidied: this
# Linux build does not compile them.
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t sources < <(git ls-files '*.cpp' '*.cc' '*.h')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${sources[@]}"
  exit 0
fi

status=0
echo "=== clang-format"
if ! clang-format --dry-run -Werror "${sources[@]}"; then
  echo "Not in the house format: run tools/check_style.sh --fix"
  status=1
fi

[ "${1:-}" = "--format-only" ] && exit $status

echo "=== clang-tidy"
CC=clang CXX=clang++ cmake -S . -B build/style -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DVEXIL_FUZZ=ON -DVEXIL_BENCHMARKS=ON >/dev/null
mapfile -t units < <(printf '%s\n' "${sources[@]}" | grep -E '\.(cpp|cc)$' |
                     grep -vE '_win32\.cpp$|(^|/)windowed_main\.cpp$|_windows_e2e_test\.cc$|(^|/)(show_message_box|message_box_probe)\.cpp$' |
                     while read -r unit; do grep -q "\"file\": \"$PWD/$unit\"" build/style/compile_commands.json && echo "$unit"; done)
if ! printf '%s\n' "${units[@]}" |
     xargs -P "$(nproc)" -n 4 clang-tidy -p build/style --quiet 2>/dev/null >build/style/tidy.log; then
  grep -E -A3 'error:|warning:' build/style/tidy.log
  status=1
fi
echo "clang-tidy: ${#units[@]} files"
exit $status
