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
status=0
wine "$@" 2>"$errors" || status=$?
cat "$errors" >&2
rm -f "$errors"
exit "$status"
