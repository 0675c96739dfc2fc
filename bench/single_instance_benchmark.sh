#!/usr/bin/env bash
# What one instance (vexil.single.instance) costs and what it saves, written to
# bench/RESULTS-single-instance.md:
#   1. a launch without the setting against the same launch by the claunch of
#      BASE (default: where this branch left main): instructions (callgrind)
#      and wall time up to the missing JVM library, and the time to exit of a
#      hello application on JDK 17, alternating;
#   2. a second launch's hand-over on Linux: a first instance runs, and each
#      measured launch hands it its arguments and exits; beside it /bin/true,
#      an ordinary process start, and claunch stopping at the missing JVM
#      library.
#
#   bench/single_instance_benchmark.sh [ROUNDS [BASE]]   (defaults 30 and $(git merge-base HEAD main))
#
# Needs valgrind for the instruction counts. Work files go to bench/out-instance/. Linux only.
set -euo pipefail
cd "$(dirname "$0")/.."

rounds=${1:-30}
base=${2:-$(git merge-base HEAD main)}
jdk=${VEXIL_BENCH_JDK:-/usr/lib/jvm/java-17-openjdk-amd64}
out=bench/out-instance
results=bench/RESULTS-single-instance.md

rm -rf "$out"
mkdir -p "$out/base-src"
root=$(cd "$out" && pwd)

# This tree's claunch and the base's, both from the native preset's settings.
cmake --preset native >/dev/null
cmake --build build/native --target claunch >/dev/null
git archive "$base" | tar -x -C "$root/base-src"
cmake -S "$root/base-src" -B "$root/base-build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$root/base-build" --target claunch >/dev/null
g++ -O2 -o "$root/runner" bench/alternate_runs.cpp
runner=$root/runner
claunch=build/native/launcher/claunch
base_claunch=$root/base-build/launcher/claunch

mkdir -p "$root/classes"
"$jdk/bin/javac" -d "$root/classes" bench/app/Hello.java
cat >"$root/Waiter.java" <<'EOJ'
public class Waiter {
  public static void main(String[] args) throws Exception { Thread.sleep(600_000); }
  public static void receive(String[] args) {}
}
EOJ
"$jdk/bin/javac" -d "$root/classes" "$root/Waiter.java"

application() {  # NAME PROGRAM: bin/NAME is a copy of PROGRAM, its .lap read from standard input
  mkdir -p "$root/$1/bin"
  cp "$2" "$root/$1/bin/$1"
  cat >"$root/$1/bin/$1.lap"
}
lap() {  # MAIN-CLASS JAVA-HOME [MORE LINES...]
  printf '%s\n' "vexil.main.class=$1" "vexil.java.home.path=$2" "-Djava.class.path=$root/classes" "${@:3}"
}
# As in run_benchmarks.sh: the runner's per-round ratios of command C, and the load averages.
ratio() {  # OUTPUT C
  echo "$1" | awk -v c="$2" '$1 == "command" && $2 == c && $3 == "/" {
    gsub(/[;,]/, ""); print $9 " (" $11 "–" $13 ")" }'
}
loads() { echo "$1" | sed -n 's/^load average \(before\|after\): //p' | paste -sd '/' | sed 's#/# → #'; }

# 1. Without the setting: this tree against the base.
fake=$root/without-jvm
mkdir -p "$fake/bin" "$fake/lib"
cp "$jdk/bin/java" "$fake/bin/"
cp "$jdk/lib/libjli.so" "$jdk/lib/jvm.cfg" "$fake/lib/"
lap Hello "$fake" | application stop "$claunch"
lap Hello "$fake" | application stop-base "$base_claunch"
lap Hello "$jdk" | application hello "$claunch"
lap Hello "$jdk" | application hello-base "$base_claunch"
count() {  # COMMAND...: the instructions it executes
  valgrind --tool=callgrind --callgrind-out-file=/dev/null --log-file="$root/callgrind.log" "$@" >/dev/null 2>&1 || true
  sed -n 's/.*Collected : //p' "$root/callgrind.log"
}
instructions="not measured: valgrind is not installed"
if command -v valgrind >/dev/null; then
  instructions="$(count "$root/stop/bin/stop") / $(count "$root/stop-base/bin/stop-base")"
fi
stop_cmd=("$runner" --runs 200 --warmup 5 -- --exit 1 "$root/stop-base/bin/stop-base" -- --exit 1 "$root/stop/bin/stop")
stop=$("${stop_cmd[@]}")
hello_cmd=("$runner" --runs "$rounds" --warmup 3 -- "$root/hello-base/bin/hello-base" -- "$root/hello/bin/hello")
hello=$("${hello_cmd[@]}")

# 2. The hand-over: a first instance waits, each measured launch hands over.
export XDG_RUNTIME_DIR=$root/run
mkdir -m 0700 -p "$XDG_RUNTIME_DIR"
lap Waiter "$jdk" vexil.single.instance=true vexil.single.instance.handler=Waiter.receive | application single "$claunch"
"$root/single/bin/single" &
first=$!
trap 'kill $first 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  [ -S "$XDG_RUNTIME_DIR"/vexil/*.socket ] 2>/dev/null && break
  sleep 0.1
done
sleep 1  # until its runtime is up and it accepts
hand_cmd=("$runner" --runs 200 --warmup 5 -- /bin/true -- "$root/single/bin/single" "a file.txt" -- --exit 1 "$root/stop/bin/stop")
hand=$("${hand_cmd[@]}")
kill "$first"
wait "$first" 2>/dev/null || true
trap - EXIT

shown() { echo "$*" | sed "s#$root#bench/out-instance#g"; }
{
  echo "# One instance: benchmark results"
  echo
  echo "Written by \`bench/single_instance_benchmark.sh $rounds\` on $(date -u '+%Y-%m-%d %H:%M UTC'), commit $(git rev-parse --short HEAD) against $(git rev-parse --short "$base")."
  echo "Machine: $(nproc) cores, shared; runtime: $jdk."
  echo
  echo "| Measure | Figure | Load before → after |"
  echo "|---|---|---|"
  echo "| instructions to the missing JVM library, no setting: this / base | $instructions | |"
  echo "| wall time of that step: this / base (median of per-round ratios, min–max) | $(ratio "$stop" 2) | $(loads "$stop") |"
  echo "| time to exit, hello on JDK 17: this / base | $(ratio "$hello" 2) | $(loads "$hello") |"
  echo "| a second launch's hand-over / \`/bin/true\` | $(ratio "$hand" 2) | $(loads "$hand") |"
  echo "| claunch stopping at the missing JVM library / \`/bin/true\` | $(ratio "$hand" 3) | |"
  echo
  for name in stop hello hand; do
    declare -n command_line=${name}_cmd
    echo '```'
    echo "\$ $(shown "${command_line[@]}")"
    echo "${!name}" | sed "s#$root#bench/out-instance#g"
    echo '```'
    echo
  done
} >"$results"
echo "wrote $results" >&2
