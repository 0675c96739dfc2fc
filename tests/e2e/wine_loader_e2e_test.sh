#!/bin/sh
# The console launcher started by Wine's loader from Linux, in two settings the
# harness (itself a Windows program) cannot make:
#   console   in a terminal (a pseudo-terminal from script(1)), so that standard
#             output is a console: a report naming a folder "日本語" shows as
#             those characters
#   long      from a folder over 300 characters deep, which Windows' own
#             process creation refuses (error 2) but the loader starts: the
#             .lap beside it, its jar folder and a runtime below it work
#
#   wine_loader_e2e_test.sh console|long PREFIX CLAUNCH FAKE_JVM WORK_DIR
set -eu
case_name=$1
prefix=$2
claunch=$3
fake_jvm=$4
work=$5

sh "$(dirname "$0")/wine_prefix.sh" ensure "$prefix"
export WINEPREFIX="$prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe,winedbg.exe=d"

fail() {
  printf 'FAILED: %s\n' "$*" >&2
  exit 1
}

# The Windows form Wine gives a Linux path: Z: and backslashes.
windows_path() {
  printf 'Z:%s' "$1" | tr / '\\'
}

dir="$work/$case_name"
rm -rf "$dir"
mkdir -p "$dir"

case $case_name in
  console)
    app="$dir/日本語"
    mkdir -p "$app"
    cp "$claunch" "$app/Tool.exe"
    status=0
    LANG=C.UTF-8 script -qec "stty cols 1000 rows 50; wine '$app/Tool.exe'" /dev/null </dev/null >"$dir/out.txt" || status=$?
    expected="Error in Java launcher. Could not open file $(windows_path "$app/Tool.lap")"
    [ "$status" -eq 1 ] || fail "exit code $status, not 1; output: $(cat "$dir/out.txt")"
    grep -qF "$expected" "$dir/out.txt" || fail "the console does not show '$expected'; it shows: $(cat "$dir/out.txt")"
    ;;
  long)
    app="$dir/App"
    while [ ${#app} -lt 300 ]; do app="$app/$(printf '%050d' 0 | tr 0 x)"; done
    mkdir -p "$app/lib" "$app/rt/bin/server"
    cp "$claunch" "$app/Tool.exe"
    cp "$fake_jvm" "$app/rt/bin/server/jvm.dll"
    : >"$app/lib/a.jar"
    printf 'vexil.main.class=Main\r\nvexil.java.home.path=${SELF_HOME}\\rt\r\nvexil.classpath.jars.dir=${SELF_HOME}\\lib\r\n' \
      >"$app/Tool.lap"
    record="$dir/record.txt"
    status=0
    VEXIL_FAKE_JVM_RECORD=$(windows_path "$record") wine "$app/Tool.exe" 日本語 </dev/null >"$dir/out.txt" 2>&1 ||
      status=$?
    [ "$status" -eq 0 ] || fail "exit code $status, not 0; output: $(cat "$dir/out.txt")"
    grep -qxF "option -Djava.class.path=$(windows_path "$app/lib/a.jar")" "$record" ||
      fail "the class path is not the jar below the ${#app}-character folder; the runtime got: $(cat "$record")"
    grep -qxF "argument 0=日本語" "$record" || fail "the argument did not arrive: $(cat "$record")"
    ;;
  *)
    fail "no case $case_name"
    ;;
esac
rm -rf "$dir"
echo "passed: $case_name"
