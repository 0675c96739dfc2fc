#!/bin/sh
# Runs a Windows program under Wine in the tests' prefix (wine_run.sh PREFIX PROGRAM ARGS...).
# CTest uses it both to list the tests of a Windows test binary, before any test
# has run, and to run them; so the prefix is made here when there is none yet.
set -eu
prefix=$1
shift
sh "$(dirname "$0")/wine_prefix.sh" ensure "$prefix"
export WINEPREFIX="$prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe,winedbg.exe=d"

# Wine's desktop process, started by the first window, inherits the Linux standard
# error and lives on for a while: were that CTest's pipe, CTest would wait for it.
# So standard error goes to a file, passed on when the program has ended.
errors=$(mktemp)
output=$(mktemp)
run() {
  status=0
  wine "$@" >"$output" 2>"$errors" || status=$?
}
run "$@"
# Under load Wine now and then fails to start a program at all: it ends at
# once with nothing on either stream. Such a start is tried once more; a
# program that really fails, fails again.
if [ "$status" -ne 0 ] && [ ! -s "$output" ] && [ ! -s "$errors" ]; then
  run "$@"
fi
cat "$output"
cat "$errors" >&2
rm -f "$errors" "$output"
exit "$status"
