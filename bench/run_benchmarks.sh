#!/usr/bin/env bash
# Measures the launcher and writes bench/RESULTS.md:
#   1. time to exit: two workloads through claunch (without and with the
#      class-data cache, warm and first run) and through "java -cp", on each
#      runtime, alternating, the order rotated each round;
#   2. the step before the runtime loads, with the runtime library missing so
#      that claunch and the JDK's java launcher stop at the same step:
#      instructions (callgrind) and wall time;
#   3. the launcher's own work before the runtime is created, in process
#      (Google Benchmark), and peak memory up to the runtime load;
#   4. when tools/build_portable.sh has built it, the portable claunch against
#      this build's (bench/portable_startup.sh, section 5).
#
#   bench/run_benchmarks.sh [HELLO_ROUNDS [COMPILER_ROUNDS]]   (defaults 30 and 10)
#
# Needs flock (util-linux). VEXIL_BENCH_JDKS: the runtimes' homes, separated by spaces (default: the
# Debian OpenJDK 17 and Temurin 25; a home that is not there is skipped and
# named in the results). Needs valgrind for the instruction counts. Work files
# go to bench/out/. Linux only.
set -euo pipefail
cd "$(dirname "$0")/.."

hello_rounds=${1:-30}
compiler_rounds=${2:-10}
jdks=${VEXIL_BENCH_JDKS:-/usr/lib/jvm/java-17-openjdk-amd64 /usr/lib/jvm/temurin-25-jdk-amd64}
out=bench/out
results=bench/RESULTS.md

cmake --preset bench >/dev/null
cmake --build --preset bench >/dev/null
runner=build/bench/bench/vexil_bench_runner
prelaunch=build/bench/bench/vexil_bench
claunch=build/bench/launcher/claunch

rm -rf "$out"
mkdir -p "$out"
root=$(cd "$out" && pwd)
# Every class-data cache the launcher keeps during the measurements goes here.
export XDG_CACHE_HOME=$root/cache

present=()
missing=()
for home in $jdks; do
  if [ -x "$home/bin/java" ] && [ -f "$home/release" ]; then present+=("$home"); else missing+=("$home"); fi
done
[ ${#present[@]} -gt 0 ] || { echo "no runtime found among: $jdks" >&2; exit 1; }
feature() { sed -n 's/^JAVA_VERSION="\([0-9]*\).*/\1/p' "$1/release"; }
full_version() { sed -n 's/^JAVA_VERSION="\(.*\)"/\1/p' "$1/release"; }

# The applications: Hello (its main returns at once) in a jar, and the JDK's
# own compiler compiling three small classes, run from the runtime image with
# that jar as the class path. Both are compiled by the oldest runtime, so that
# every runtime runs them.
mkdir -p "$root/classes" "$root/sources"
"${present[0]}/bin/javac" -d "$root/classes" bench/app/Hello.java
"${present[0]}/bin/jar" cf "$root/hello.jar" -C "$root/classes" .
for name in Alpha Beta Gamma; do
  cat >"$root/sources/$name.java" <<EOJ
import java.util.*;
public class $name {
  private final Map<String, List<Integer>> index = new TreeMap<>();
  void add(String word, int line) { index.computeIfAbsent(word, k -> new ArrayList<>()).add(line); }
  public static void main(String[] args) {
    $name n = new $name();
    for (int i = 0; i < args.length; i++) n.add(args[i], i);
    n.index.forEach((k, v) -> System.out.println(k + " " + v));
  }
}
EOJ
done
compiler_args=(-d "$root/compiled" "$root/sources/Alpha.java" "$root/sources/Beta.java" "$root/sources/Gamma.java")

# An application directory: bin/<name> is claunch, bin/<name>.lap its file,
# read from standard input.
application() {  # NAME
  mkdir -p "$root/$1/bin"
  cp "$claunch" "$root/$1/bin/$1"
  cat >"$root/$1/bin/$1.lap"
}
class_path=$root/hello.jar  # of the .lap files that lap writes
lap() {  # MAIN-CLASS JAVA-HOME [MORE LINES...]
  printf '%s\n' "vexil.main.class=$1" "vexil.java.home.path=$2" "-Djava.class.path=$class_path" "${@:3}"
}

shown() { printf '%s ' "$@" | sed "s#$root#bench/out#g; s#$PWD/##g"; }
# The per-round ratio figures of command C of a runner's OUTPUT.
ratios() {  # OUTPUT C
  echo "$1" | awk -v c="$2" '$1 == "command" && $2 == c && $3 == "/" {
    gsub(/[;,]/, ""); print $9 " (" $11 "–" $13 ")" }'
}
median_of() {  # OUTPUT C FIELD(wall|peak)
  echo "$1" | awk -v c="$2" -v f="$3" '
    $1 == "command" && $3 != "/" { n = $2 + 0 }
    n == c && ((f == "wall" && $1 == "runs") || (f == "peak" && $1 == "peak")) {
      for (i = 1; i < NF; i++) if ($i == "median") print $(i + 1)
    }' | tr -d ,
}
loads() { echo "$1" | sed -n 's/^load average \(before\|after\): //p' | paste -sd '/' | sed 's#/# → #'; }

summary_rows=()
details=()

for home in "${present[@]}"; do
  v=$(feature "$home")
  java=$home/bin/java
  for workload in hello compiler image; do
    main=Hello
    [ $workload = hello ] || main=com.sun.tools.javac.Main
    class_path=$root/hello.jar
    [ $workload != image ] || class_path=
    lap $main "$home" | application "$workload-$v"
    lap $main "$home" vexil.startup.cache=auto | application "$workload-warm-$v"
    lap $main "$home" vexil.startup.cache=auto | application "$workload-cold-$v"
  done
  class_path=$root/hello.jar

  expected=$("$java" -cp "$root/hello.jar" Hello home)
  got=$("$root/hello-$v/bin/hello-$v" home)
  if [ "$got" != "$expected" ]; then
    echo "claunch starts $got, java -cp starts $expected: not comparable" >&2
    exit 1
  fi

  # The warm applications' caches are made before their measurements start.
  "$root/hello-warm-$v/bin/hello-warm-$v" >/dev/null
  "$root/compiler-warm-$v/bin/compiler-warm-$v" "${compiler_args[@]}" >/dev/null
  "$root/image-warm-$v/bin/image-warm-$v" "${compiler_args[@]}" >/dev/null
  for name in hello-warm-$v compiler-warm-$v image-warm-$v; do
    for lock in "$XDG_CACHE_HOME/$name"/*.lock; do flock "$lock" true; done
    if ! ls "$XDG_CACHE_HOME/$name" | grep -qE '\.(aot|jsa)$'; then
      echo "$name made no class-data cache in $XDG_CACHE_HOME/$name" >&2
      exit 1
    fi
  done
  warm_target() { if [ "$v" -ge 25 ]; then echo "$1"; elif [ "$v" -ge 17 ]; then echo "$2"; else echo ""; fi; }

  echo "JDK $v: time to exit, hello ($hello_rounds rounds) ..." >&2
  cmd=("$runner" --runs "$hello_rounds" --warmup 3
       -- "$java" -cp "$root/hello.jar" Hello
       -- "$root/hello-$v/bin/hello-$v"
       -- "$root/hello-warm-$v/bin/hello-warm-$v"
       -- --cold "$XDG_CACHE_HOME/hello-cold-$v" "$root/hello-cold-$v/bin/hello-cold-$v")
  hello=$("${cmd[@]}")
  summary_rows+=("| JDK $v, hello: claunch / \`java -cp\` | $(ratios "$hello" 2) | 0.95–1.05 | $(loads "$hello") |")
  summary_rows+=("| JDK $v, hello: claunch with the cache, warm / \`java -cp\` | $(ratios "$hello" 3) | $(warm_target '≤ 0.85' '') | |")
  summary_rows+=("| JDK $v, hello: claunch with the cache, first run (making it) / \`java -cp\` | $(ratios "$hello" 4) | ≤ 1.3 | |")
  details+=("### JDK $v ($(full_version "$home")), hello" "" '```' "\$ $(shown "${cmd[@]}")"
            "$(echo "$hello" | sed "s#$root#bench/out#g")" '```' "")

  echo "JDK $v: time to exit, compiler ($compiler_rounds rounds) ..." >&2
  cmd=("$runner" --runs "$compiler_rounds" --warmup 1
       -- "$java" -cp "$root/hello.jar" com.sun.tools.javac.Main "${compiler_args[@]}"
       -- "$root/compiler-$v/bin/compiler-$v" "${compiler_args[@]}"
       -- "$root/compiler-warm-$v/bin/compiler-warm-$v" "${compiler_args[@]}"
       -- --cold "$XDG_CACHE_HOME/compiler-cold-$v" "$root/compiler-cold-$v/bin/compiler-cold-$v" "${compiler_args[@]}")
  compiler=$("${cmd[@]}")
  summary_rows+=("| JDK $v, compiler: claunch / \`java -cp\` | $(ratios "$compiler" 2) | 0.95–1.05 | $(loads "$compiler") |")
  summary_rows+=("| JDK $v, compiler: claunch with the cache, warm / \`java -cp\` | $(ratios "$compiler" 3) | $(warm_target '≤ 0.65' '≤ 0.85') | |")
  summary_rows+=("| JDK $v, compiler: claunch with the cache, first run (making it) / \`java -cp\` | $(ratios "$compiler" 4) | ≤ 1.3 | |")
  details+=("### JDK $v ($(full_version "$home")), compiler on three classes" "" '```' "\$ $(shown "${cmd[@]}")"
            "$(echo "$compiler" | sed "s#$root#bench/out#g")" '```' "")

  echo "JDK $v: time to exit, runtime image ($compiler_rounds rounds) ..." >&2
  cmd=("$runner" --runs "$compiler_rounds" --warmup 1
       -- "$java" -cp "" com.sun.tools.javac.Main "${compiler_args[@]}"
       -- "$root/image-$v/bin/image-$v" "${compiler_args[@]}"
       -- "$root/image-warm-$v/bin/image-warm-$v" "${compiler_args[@]}"
       -- --cold "$XDG_CACHE_HOME/image-cold-$v" "$root/image-cold-$v/bin/image-cold-$v" "${compiler_args[@]}")
  image=$("${cmd[@]}")
  summary_rows+=("| JDK $v, runtime image: claunch / \`java -cp \"\"\` | $(ratios "$image" 2) | 0.95–1.05 | $(loads "$image") |")
  summary_rows+=("| JDK $v, runtime image: claunch with the cache, warm / \`java -cp \"\"\` | $(ratios "$image" 3) | $(warm_target '≤ 0.65' '≤ 0.85') | |")
  summary_rows+=("| JDK $v, runtime image: claunch with the cache, first run (making it) / \`java -cp \"\"\` | $(ratios "$image" 4) | ≤ 1.3 | |")
  details+=("### JDK $v ($(full_version "$home")), runtime image: the compiler with an empty class path" "" '```'
            "\$ $(shown "${cmd[@]}")" "$(echo "$image" | sed "s#$root#bench/out#g")" '```' "")
done

# The step before the runtime loads. A copy of the runtime's home without its
# JVM library: the java launcher finds its own libjli.so, reads lib/jvm.cfg,
# looks for lib/server/libjvm.so and stops (exit code 4); claunch, given that
# home, looks for the same library and stops (exit code 1).
step_rows=()
step_details=()
if command -v valgrind >/dev/null; then
  for home in "${present[@]}"; do
    v=$(feature "$home")
    fake=$root/without-jvm-$v
    mkdir -p "$fake/bin" "$fake/lib"
    cp "$home/bin/java" "$fake/bin/"
    cp "$home/lib/libjli.so" "$home/lib/jvm.cfg" "$fake/lib/"
    touch "$fake/lib/libjava.so"  # looked for, never loaded before the JVM
    lap Hello "$fake" | application "stop-$v"
    java_stop=("$fake/bin/java" -cp "$root/hello.jar" Hello)
    claunch_stop=("$root/stop-$v/bin/stop-$v")
    java_said=$("${java_stop[@]}" 2>&1 || true)
    claunch_said=$("${claunch_stop[@]}" 2>&1 || true)
    if [[ $java_said != *"missing"*libjvm.so* || $claunch_said != *"JVM could not be found"* ]]; then
      printf 'JDK %s: the launchers do not stop where the JVM library is missing:\n%s\n%s\n' "$v" "$java_said" "$claunch_said" >&2
      exit 1
    fi
    count() {  # COMMAND...: the instructions it executes (it ends with its own exit code, not 0)
      valgrind --tool=callgrind --callgrind-out-file=/dev/null --log-file="$root/callgrind.log" "$@" >/dev/null 2>&1 || true
      sed -n 's/.*Collected : //p' "$root/callgrind.log"
    }
    java_instructions=$(count "${java_stop[@]}")
    claunch_instructions=$(count "${claunch_stop[@]}")
    echo "JDK $v: the step before the runtime loads ..." >&2
    cmd=("$runner" --runs 200 --warmup 5 -- --exit 4 "${java_stop[@]}" -- --exit 1 "${claunch_stop[@]}")
    step=$("${cmd[@]}")
    step_rows+=("| JDK $v: instructions to the missing JVM library, claunch / \`java\` | $claunch_instructions / $java_instructions = $(awk -v a="$claunch_instructions" -v b="$java_instructions" 'BEGIN { printf "%.3f", a / b }') | ≤ 1 | |")
    step_rows+=("| JDK $v: wall time of that step, claunch / \`java\` | $(ratios "$step" 2) | ≤ 1.0 | $(loads "$step") |")
    step_details+=("JDK $v: \`valgrind --tool=callgrind\` counts $java_instructions instructions for"
                   "\`$(shown "${java_stop[@]}")\` and $claunch_instructions for \`$(shown "${claunch_stop[@]}")\`." ""
                   '```' "\$ $(shown "${cmd[@]}")" "$(echo "$step" | sed "s#$root#bench/out#g")" '```' "")
  done
else
  step_rows+=("| instructions before the runtime loads | not measured: valgrind is not installed | | |")
fi

echo "launcher work before the runtime (Google Benchmark) ..." >&2
pre_cmd=("$prelaunch" --benchmark_min_time=0.2 --benchmark_repetitions=3 --benchmark_report_aggregates_only=true)
pre=$("${pre_cmd[@]}" 2>&1)
bench_line() { echo "$pre" | awk -v n="$1" '$1 == n { print $2 " " $3 " wall, " $4 " " $5 " CPU" }'; }

# Peak memory up to the runtime load: the JVM library named exists but is not
# a library, so claunch reports the load failure and exits with 1.
touch "$root/not-a-library.so"
typical() {  # JAR-DIRECTORY
  cat <<EOL
vexil.main.class=com.example.tool.Main
vexil.jvm.path=$root/not-a-library.so
vexil.classpath.jars.dir=$1
vexil.library.path.dir=\${SELF_HOME}/native
-Xmx512m
-Dtool.home=\${SELF_HOME}
-Dtool.java=\${FOUND_JAVA_HOME}
-Dtool.config=\${env.HOME}/.tool
EOL
}
mkdir -p "$root/jars" "$root/many-jars"
(cd "$root/jars" && seq -f 'library-%.0f.jar' 1 20 | xargs touch)
(cd "$root/many-jars" && seq -f 'component-%.0f.jar' 1 10000 | xargs touch)
typical "$root/jars" | application stop-typical
typical "$root/many-jars" | application stop-jars
{
  typical "$root/jars"
  for i in $(seq 1 10000); do printf -- '-Dproperty.%d=${SELF_HOME}/data/%d\n' "$i" "$i"; done
} | application stop-lines
echo "peak memory ..." >&2
mem_cmd=("$runner" --runs 30 --warmup 2 -- --exit 1 /bin/false -- --exit 1 "$root/stop-typical/bin/stop-typical"
         -- --exit 1 "$root/stop-lines/bin/stop-lines" -- --exit 1 "$root/stop-jars/bin/stop-jars")
mem=$("${mem_cmd[@]}")

{
  cat <<EOM
# Benchmark results

Written by \`bench/run_benchmarks.sh $hello_rounds $compiler_rounds\` on $(date -u '+%Y-%m-%d %H:%M UTC'), commit $(git rev-parse --short HEAD)$(
  changed=$(git status --porcelain --untracked-files=no | wc -l)
  [ "$changed" -eq 0 ] || echo " with uncommitted changes to $changed tracked files").
Machine: $(nproc) × $(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -1), $(uname -sr); it is shared, so each
measurement records the load average (1, 5 and 15 minutes) before and after it.
Runtimes: $(for home in "${present[@]}"; do printf '%s (%s) ' "$home" "$(full_version "$home")"; done)$(
  [ ${#missing[@]} -eq 0 ] || printf '; not installed, skipped: %s' "${missing[*]}").
Every figure below comes from this one run of the script.

## Summary

Ratios are medians of per-round ratios, with the lowest and highest in brackets.

| Measure | Ratio (min–max) | Target | Load before → after |
|---|---|---|---|
$(printf '%s\n' "${summary_rows[@]}" "${step_rows[@]}")
| launcher work before the runtime, typical file, fake services (median of 3) | $(bench_line BM_TypicalFile_median) | < 2 ms | |
| the same on this machine's file system and runtimes (median of 3) | $(bench_line BM_TypicalFileHost_median) | < 2 ms | |
| the class-data cache's work in a launch that uses its archive, 20 jars: key, stamp and owner check, the launch's mark (median of 3) | $(bench_line BM_ClassDataCacheWarm_median) | < 1 ms | |
| discovery and selection, every source, 20 runtimes in tools' folders, JAVA_HOME and PATH (median of 3) | $(bench_line BM_DiscoveryHost_median) | well under 2 ms | |
| peak memory up to the runtime load, typical file (\`/bin/false\`: $(median_of "$mem" 1 peak) KiB) | $(median_of "$mem" 2 peak) KiB | | |
| the same with 10,000 more configuration lines / a jar directory of 10,000 jars | $(median_of "$mem" 3 peak) / $(median_of "$mem" 4 peak) KiB | | |

## 1. Time to exit

Whole processes, from their start to their exit: the runtime's start-up, the application and the
runtime's shutdown. Each measurement alternates its commands, one run each per round, and each
round starts with the next command, so that none always runs first or always follows the same
one; after the warm-up rounds, every round gives one ratio per command against \`java -cp\`, and
the figure is the median of those ratios (min and max beside it). The same class path (a jar)
and no other options both ways; claunch names the runtime by \`vexil.java.home.path\`, and the
script first checks that both ways start the same runtime (\`java.home\`).

- hello: a class whose \`main\` returns at once;
- compiler: the JDK's own compiler (\`com.sun.tools.javac.Main\`, from the runtime image) run as the
  application, compiling three small classes: thousands of classes loaded, the workload where
  start-up matters most;
- runtime image: the same compiler with an empty class path, as an application whose classes all
  lie in the runtime image (a jlinked application) runs.

Four commands each: \`java -cp\`; claunch without \`vexil.startup.cache\`; claunch with
\`vexil.startup.cache=auto\` and its cache made before the measurement (warm); and the same with
its cache folder removed before every run (first run: the run lists its classes, and after it
\`bin/java\` archives them in the background; the runner waits for that work to end, untimed,
before the next run, so that it does not slow the other commands).

$(printf '%s\n' "${details[@]}")
## 2. Before the runtime loads

Both launchers are given a copy of the runtime's home that lacks \`lib/server/libjvm.so\`: the
JDK's \`java\` finds its \`libjli.so\`, reads \`lib/jvm.cfg\`, looks for the JVM library and stops
("missing \`server' JVM", exit code 4); claunch reads its \`.lap\` file, looks for the same library
and stops ("A JVM could not be found", exit code 1). Everything either does before the runtime
would load is counted: the dynamic linker, the C library's start-up, argument and configuration
handling. Instructions by \`valgrind --tool=callgrind\` (one run each; the count does not vary
from run to run by more than a few hundred), wall time alternating as in part 1.

$(printf '%s\n' "${step_details[@]}")
## 3. The launcher's work before the runtime is created

In process, with Google Benchmark: reading and applying the configuration file, discovery,
selection and the init arguments, as a launch does them before it loads the runtime library.
\`BM_TypicalFile\`: a typical file (settings, variables, 20 jars, 3 installed runtimes) over
in-memory services; \`BM_TypicalFileHost\`: the same on this machine's file system, environment
and runtime discovery. \`BM_DiscoveryHost\`: discovery and selection alone on this machine, with
twenty runtimes below a temporary \`HOME\` (in the folders of SDKMAN, the IDE, Gradle, Maven, asdf,
mise, jabba and JBang), one of them named by \`JAVA_HOME\`, three more reached through \`PATH\` by
chains of links, beside the machine's own in \`/usr/lib/jvm\`. At scale: \`/N\` is the number of configuration lines, jars in the jar
directory, or registry runtimes (fake registry; "HalfRejected": the development kits, the first
half of the list, fail \`vexil.java.bundle=jre\`; "HalfWithoutLibrary": the first half has no JVM
library). \`per_*\` is the time per line, jar or runtime: flat when the cost grows linearly.
\`_BigO\` is Google Benchmark's fit of the growth. Wall ("Time") and CPU time; on a busy machine
the CPU column is the steadier. Each benchmark ran 3 times; the table gives the mean, median,
standard deviation and coefficient of variation of the three.

\`\`\`
\$ $(shown "${pre_cmd[@]}")
$(echo "$pre" | grep -v '^\*\*\*WARNING')
\`\`\`

## 4. Peak memory before the runtime loads

claunch runs the whole launch up to the loading of the runtime library, which fails there because
the file named by \`vexil.jvm.path\` is not a library; it reports that and exits with 1. Its peak
resident set (\`ru_maxrss\` from \`wait4\`) is therefore the launcher's peak before the runtime
loads. The figure cannot go below the runner's own resident set: the kernel carries the peak of
the process over its \`exec\`, and the runner starts each command with \`posix_spawn\`, which
shares the runner's memory until then; \`/bin/false\` shows that floor. The typical file names
20 jars; "lines" adds 10,000 option lines with variables, "jars" reads a jar directory of 10,000
jars instead.

\`\`\`
\$ $(shown "${mem_cmd[@]}")
$(echo "$mem" | grep -v ratio | sed "s#$root#bench/out#g")
\`\`\`
EOM
} >"$results"
echo "wrote $results" >&2
if [ -x build/portable-x64/launcher/claunch ]; then
  bench/portable_startup.sh "$hello_rounds"
fi
