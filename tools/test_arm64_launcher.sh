#!/usr/bin/env bash
# Runs the ARM64 claunch under qemu-aarch64 on the arm64 OpenJDK 17 of an
# unpacked bullseye root (absolute paths are looked up in the root first),
# with the Java test applications of the x64 build (jars are the same on both).
#   tools/test_arm64_launcher.sh ARM64_BUILD ARM64_ROOT X64_BUILD all|short
# "short" runs the cases CI runs: start with arguments, the exit code, and an
# x86-64 runtime turned down.
set -euo pipefail
arm64_build=$1
arm64_root=$2
x64_build=$3
mode=$4

launcher=$arm64_build/launcher/claunch
probe=$arm64_build/tools/jvm_probe
apps=$x64_build/tests/java/apps.jar
jars=$x64_build/tests/java/jars
arm64_jdk=/usr/lib/jvm/java-17-openjdk-arm64
x64_jdk=/usr/lib/jvm/java-17-openjdk-amd64
for file in "$launcher" "$probe" "$apps" "$arm64_root$arm64_jdk/lib/server/libjvm.so"; do
  if [ ! -e "$file" ]; then
    echo "missing: $file" >&2
    exit 1
  fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0
passed=0
# check NAME EXPECTED_EXIT EXPECTED_OUTPUT LAP_LINES -- ARGUMENTS...
# The output must hold EXPECTED_OUTPUT (a fixed text, several lines allowed).
check() {
  local name=$1 expected_exit=$2 expected=$3 lap=$4
  shift 5
  local dir="$work/$name"
  mkdir -p "$dir"
  cp "$launcher" "$dir/app"
  printf '%s\n' "$lap" >"$dir/app.lap"
  local output exit_code=0
  output=$(cd "$dir" && timeout 300 qemu-aarch64 -L "$arm64_root" ./app "$@" 2>&1) || exit_code=$?
  if [ "$exit_code" -eq "$expected_exit" ] && [[ "$output" == *"$expected"* ]]; then
    echo "ok   $name"
    passed=$((passed + 1))
  else
    echo "FAIL $name: exit $exit_code (expected $expected_exit), output:"
    printf '%s\n' "$output" | sed 's/^/    /'
    echo "  expected it to hold:"
    printf '%s\n' "$expected" | sed 's/^/    /'
    failures=$((failures + 1))
  fi
}

pinned="vexil.java.home.path=$arm64_jdk"
check start_and_arguments 0 $'count=3\narg[0]=one\narg[1]=two words\narg[2]=\\u00e9' \
  "vexil.main.class=ArgsEcho
vexil.classpath.jars.dir=\${SELF_HOME}/lib
-Djava.class.path=$apps
$pinned" -- one "two words" é
# The launcher's exit code is the application's System.exit code.
check exit_code 7 "exiting with 7" "vexil.main.class=Exiter
-Djava.class.path=$apps
$pinned" -- 7
check x64_runtime_turned_down 1 "the runtime is 64-bit (x64) and this launcher is 64-bit (ARM64)" \
  "vexil.main.class=ArgsEcho
vexil.java.home.path=$x64_jdk
-Djava.class.path=$apps" --

if [ "$mode" = all ]; then
  # Found by discovery, not named: the root's /usr/lib/jvm holds the arm64 runtime.
  check discovered_runtime 0 "count=0" "vexil.main.class=ArgsEcho
vexil.min.java.version=17
-Djava.class.path=$apps" --
  check missing_class 1 "Error in Java launcher. Cannot find main Java class NoSuchClass" "vexil.main.class=NoSuchClass
-Djava.class.path=$apps
$pinned" --
  check jar_directory 0 "JarMarker found" "vexil.main.class=ArgsEcho
vexil.classpath.jars.dir=$jars
-Decho.jarMarker=true
-Djava.class.path=$apps
$pinned" --
  check exception_in_main 1 "java.lang.IllegalStateException: thrown by main" "vexil.main.class=Thrower
-Djava.class.path=$apps
$pinned" --
  # The probe sees both runtimes' machines: the arm64 one chosen.
  probe_output=$(qemu-aarch64 -L "$arm64_root" "$probe" --list vexil.min.java.version=17 2>&1) || true
  if [[ "$probe_output" == *"chosen=m_jvmPath=$arm64_jdk/lib/server/libjvm.so"* ]]; then
    echo "ok   jvm_probe_chooses_arm64"
    passed=$((passed + 1))
  else
    echo "FAIL jvm_probe_chooses_arm64:"
    printf '%s\n' "$probe_output" | sed 's/^/    /'
    failures=$((failures + 1))
  fi
fi

echo "$passed passed, $failures failed (qemu-aarch64, $mode)"
[ "$failures" -eq 0 ]
