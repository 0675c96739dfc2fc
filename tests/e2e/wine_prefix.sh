#!/bin/sh
# The Wine prefix of one run of the Windows tests.
#   wine_prefix.sh setup DIR    make a fresh prefix in DIR, start its server, warm it up
#   wine_prefix.sh ensure DIR   make the prefix only if there is none (listing the tests
#                               comes before setup); setup then takes it over once
#   wine_prefix.sh cleanup DIR  stop the server and remove DIR
set -eu

action=$1
prefix=$2
export WINEPREFIX="$prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe,winedbg.exe=d"

ready="$prefix/vexil-prefix-ready"
fresh="$prefix/vexil-prefix-fresh"

# A server started by a test would hold that test's output pipes open after the
# test ends (every test then takes 3 s more): start it here, detached from ours.
# It lingers a minute after the last program ends, so that nothing is left
# behind when no cleanup follows (a run that only lists the tests).
start_server() {
  wineserver -p60 </dev/null >/dev/null 2>&1 || true  # fails when one runs already
}

create() {
  wineserver -k </dev/null >/dev/null 2>&1 || true
  rm -rf "$prefix"
  mkdir -p "$prefix"
  start_server
  wineboot -i </dev/null >/dev/null 2>&1
  # Without a display a message box returns at once; the null driver keeps
  # windows invisible and lets boxes block until the harness closes them.
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null 2>&1
  # The desktop process that wineboot started keeps the driver it began with.
  wineserver -k </dev/null >/dev/null 2>&1 || true
  wineserver -w </dev/null >/dev/null 2>&1 || true
  start_server
  touch "$ready"
}

warm_up() {
  wine cmd /c exit </dev/null >/dev/null 2>&1
}

case $action in
  setup)
    if [ -f "$ready" ] && [ -f "$fresh" ]; then
      rm -f "$fresh"
      start_server
    else
      create
    fi
    warm_up
    ;;
  ensure)
    if [ ! -f "$ready" ]; then
      create
      touch "$fresh"
    fi
    start_server
    ;;
  cleanup)
    if [ -d "$prefix" ]; then
      wineserver -k </dev/null >/dev/null 2>&1 || true
      rm -rf "$prefix"
    fi
    ;;
  *)
    echo "usage: $0 setup|ensure|cleanup DIR" >&2
    exit 2
    ;;
esac
