#!/usr/bin/env bash
# Checks the one-way order of the source floors, lowest first:
#   text/ -> platform/ -> report/ -> jvm/ -> config/ -> hosting/ -> launcher/
# and on top tools/, tests/, fuzz/, bench/ and sample/, where every unit test
# (*_test.cc) belongs too, wherever it lies. A file may include files of its
# own floor and of the floors below it, never one of a floor above. Neither
# files nor rooms (top-level directories) may include each other in a loop.
# Every header is defined in the files named after it, beside it (x.h in x.cpp,
# or x_linux.cpp and x_win32.cpp), unless it says why it stands alone in a
# line "// Header only: ..." of its own.
# Reads the quoted #include lines of the files git tracks (or of the files
# given as arguments); prints every offence and exits with 1 if there is one.
#
#   tools/check_layers.sh [FILE ...]
set -euo pipefail
cd "$(dirname "$0")/.."

floor_of() {  # PATH: its floor number, or nothing for files outside the floors
  case "$1" in
    *_test.cc) echo 7 ;;
    text/*) echo 0 ;;
    platform/*) echo 1 ;;
    report/*) echo 2 ;;
    jvm/*) echo 3 ;;
    config/*) echo 4 ;;
    hosting/*) echo 5 ;;
    launcher/*) echo 6 ;;
    tools/* | tests/* | fuzz/* | bench/* | sample/*) echo 7 ;;
  esac
}

room_of() {  # PATH: the room it counts in (unit tests count in tests/)
  case "$1" in
    *_test.cc) echo tests ;;
    */*) echo "${1%%/*}" ;;
    *) echo . ;;
  esac
}

if [ $# -gt 0 ]; then
  files=("$@")
else
  mapfile -t files < <(git ls-files '*.h' '*.cpp' '*.cc')
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
: >"$work/upward"
: >"$work/file-edges"
: >"$work/room-edges"
: >"$work/alone"

for file in "${files[@]}"; do
  from=$(floor_of "$file")
  [ -n "$from" ] || continue
  while IFS=: read -r line included; do
    [ -f "$included" ] || continue  # a system or generated header
    to=$(floor_of "$included")
    [ -n "$to" ] || continue
    if [ "$to" -gt "$from" ]; then
      echo "$file:$line: includes $included from a higher floor" >>"$work/upward"
    fi
    echo "$file $included" >>"$work/file-edges"
    fromRoom=$(room_of "$file")
    toRoom=$(room_of "$included")
    [ "$fromRoom" = "$toRoom" ] || echo "$fromRoom $toRoom" >>"$work/room-edges"
  done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]+"' "$file" | sed -E 's/^([0-9]+):.*"([^"]+)".*/\1:\2/')
done

# A header with neither its implementation nor a word on why it needs none.
for file in "${files[@]}"; do
  case "$file" in *.h) ;; *) continue ;; esac
  [ -n "$(floor_of "$file")" ] || continue
  stem=${file%.h}
  if compgen -G "$stem.cpp" >/dev/null || compgen -G "$stem.cc" >/dev/null || compgen -G "${stem}_*.cpp" >/dev/null; then
    continue
  fi
  grep -q '^// Header only: ' "$file" && continue
  echo "$file: no ${stem##*/}.cpp (or one per system) beside it, and no \"// Header only: ...\" line saying why" >>"$work/alone"
done

status=0
if [ -s "$work/alone" ]; then
  cat "$work/alone"
  status=1
fi
if [ -s "$work/upward" ]; then
  cat "$work/upward"
  status=1
fi
# tsort names the members of a loop on standard error.
for kind in file room; do
  if ! sort -u "$work/$kind-edges" | tsort >/dev/null 2>"$work/$kind-loop"; then
    echo "include loop between ${kind}s:"
    grep -v 'input contains a loop' "$work/$kind-loop" | sed 's/^tsort: /  /'
    status=1
  fi
done
if [ "$status" -eq 0 ]; then
  echo "layers: ${#files[@]} files, every include goes down or stays on its floor, no loops, every header defined or saying why not"
fi
exit "$status"
