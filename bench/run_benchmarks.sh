#!/usr/bin/env bash
# Measures the launcher and writes bench/RESULTS.md:
#   1. time to main: the same Java application through claunch and through
#      "java -cp", alternating, RUNS runs each (default 50);
#   2. the launcher's own work before the runtime is created, for a typical
#      file and at scale (Google Benchmark, in process);
#   3. peak memory of claunch before the runtime loads.
#
#   bench/run_benchmarks.sh [RUNS]
#
# VEXIL_BENCH_JAVA_HOME chooses the runtime (default: the Debian OpenJDK 17).
# Work files go to bench/out/. Linux only.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-50}
java_home=${VEXIL_BENCH_JAVA_HOME:-/usr/lib/jvm/java-17-openjdk-amd64}
out=bench/out
results=bench/RESULTS.md

cmake --preset bench >/dev/null
cmake --build --preset bench >/dev/null
runner=build/bench/bench/vexil_bench_runner
prelaunch=build/bench/bench/vexil_bench
claunch=build/bench/launcher/claunch

rm -rf "$out"
mkdir -p "$out/classes"
root=$(cd "$out" && pwd)
"$java_home/bin/javac" -d "$out/classes" bench/app/Hello.java

# An application directory: bin/<name> is claunch, bin/<name>.lap its file,
# read from standard input.
application() {  # NAME
  mkdir -p "$root/$1/bin"
  cp "$claunch" "$root/$1/bin/$1"
  cat >"$root/$1/bin/$1.lap"
}
version=$(sed -n 's/^JAVA_VERSION="\(.*\)"/\1/p' "$java_home/release")

# The runtime named by its home, and the runtime found by discovery among the
# installed ones, held to exactly this version.
application home <<EOL
vexil.main.class=Hello
vexil.java.home.path=$java_home
-Djava.class.path=$root/classes
EOL
application discover <<EOL
vexil.main.class=Hello
vexil.min.java.version=$version
vexil.max.java.version=$version
-Djava.class.path=$root/classes
EOL
java_cmd=("$java_home/bin/java" -cp "$root/classes" Hello)
expected=$("${java_cmd[@]}" home)
for name in home discover; do
  got=$("$root/$name/bin/$name" home)
  if [ "$got" != "$expected" ]; then
    echo "claunch ($name) starts $got, java -cp starts $expected: not comparable" >&2
    exit 1
  fi
done

# Runs that stop where the runtime would load: the JVM library named exists
# but is not a library, so claunch reports the load failure and exits with 1.
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

echo "time to main ($runs runs each) ..." >&2
ttm_cmd=("$runner" --runs "$runs" --warmup 3 -- "${java_cmd[@]}" -- "$root/home/bin/home" -- "$root/discover/bin/discover")
ttm=$("${ttm_cmd[@]}")
echo "launcher work before the runtime (Google Benchmark) ..." >&2
pre_cmd=("$prelaunch" --benchmark_min_time=0.2 --benchmark_repetitions=3 --benchmark_report_aggregates_only=true)
pre=$("${pre_cmd[@]}" 2>&1)
echo "peak memory ..." >&2
mem_cmd=("$runner" --runs 30 --warmup 2 --exit 1 -- /bin/false -- "$root/stop-typical/bin/stop-typical"
         -- "$root/stop-lines/bin/stop-lines" -- "$root/stop-jars/bin/stop-jars")
mem=$("${mem_cmd[@]}")

shown() { printf '%s ' "$@" | sed "s#$root#bench/out#g; s#$PWD/##g"; }
ratio() { echo "$ttm" | awk -v c="$1" '$1 == "command" && $2 == c && $3 == "/" { print $NF }'; }
ratio_of_medians() { echo "$ttm" | awk -v c="$1" '$1 == "command" && $2 == c && $3 == "/" { print $9 }' | tr -d ,; }
# FIELD ("wall" or "peak") of command C of the runner's OUTPUT: its median.
median_of() {  # OUTPUT C FIELD
  echo "$1" | awk -v c="$2" -v f="$3" '
    $1 == "command" && $3 != "/" { n = $2 + 0 }
    n == c && ((f == "wall" && $1 == "runs") || (f == "peak" && $1 == "peak")) {
      for (i = 1; i < NF; i++) if ($i == "median") print $(i + 1)
    }' | tr -d ,
}
bench_line() { echo "$pre" | awk -v n="$1" '$1 == n { print $2 " " $3 " wall, " $4 " " $5 " CPU" }'; }

{
  cat <<EOM
# Benchmark results

Written by \`bench/run_benchmarks.sh $runs\` on $(date -u +%Y-%m-%d), commit $(git rev-parse --short HEAD)$(
  changed=$(git status --porcelain --untracked-files=no | wc -l)
  [ "$changed" -eq 0 ] || echo " with uncommitted changes to $changed tracked files").
Machine: $(nproc) × $(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -1), $(uname -sr);
runtime: $java_home (JAVA_VERSION $version). Load average when started: $(cut -d' ' -f1-3 /proc/loadavg).

## Summary

| Measure | Figure | Target |
|---|---|---|
| time to main, claunch (Java home named) / \`java -cp\`: median of per-round ratios; ratio of medians | $(ratio 2); $(ratio_of_medians 2) | ≤ 1.05 |
| time to main, claunch (runtime discovered) / \`java -cp\`: median of per-round ratios; ratio of medians | $(ratio 3); $(ratio_of_medians 3) | ≤ 1.05 |
| launcher work before the runtime, typical file, fake services (median of 3) | $(bench_line BM_TypicalFile_median) | < 2 ms |
| the same on this machine's file system and runtimes (median of 3) | $(bench_line BM_TypicalFileHost_median) | < 2 ms |
| claunch process up to the runtime load, typical file, wall (\`/bin/false\`: $(median_of "$mem" 1 wall) ms) | $(median_of "$mem" 2 wall) ms | |
| peak memory up to the runtime load, typical file (\`/bin/false\`: $(median_of "$mem" 1 peak) KiB) | $(median_of "$mem" 2 peak) KiB | |
| the same with 10,000 more configuration lines / a jar directory of 10,000 jars | $(median_of "$mem" 3 peak) / $(median_of "$mem" 4 peak) KiB | |

## 1. Time to main

The same class, whose \`main\` returns at once, started $runs times each way, the three ways taking
turns (each round starts with the next one), after 3 warm-up rounds. The figure is the wall time
of the whole process: start-up to \`main\`, the call, and the runtime's shutdown, which is the same
work both ways. Both ways start the same runtime with the same class path and no other options
(the script checks \`java.home\` first). "Java home named": \`vexil.java.home.path\`; "runtime
discovered": version bounds that only this runtime meets, so discovery over \`/usr/lib/jvm\` runs.
Peak resident memory is that of the whole run.

\`\`\`
$ $(shown "${ttm_cmd[@]}")
$(echo "$ttm" | sed "s#$root#bench/out#g")
\`\`\`

## 2. The launcher's work before the runtime is created

In process, with Google Benchmark: reading and applying the configuration file, discovery,
selection and the init arguments, as a launch does them before it loads the runtime library.
\`BM_TypicalFile\`: a typical file (settings, variables, 20 jars, 3 installed runtimes) over
in-memory services; \`BM_TypicalFileHost\`: the same on this machine's file system, environment
and runtime discovery. At scale: \`/N\` is the number of configuration lines, jars in the jar
directory, or registry runtimes (fake registry; "HalfRejected": the development kits, the first
half of the list, fail \`vexil.java.bundle=jre\`; "HalfWithoutLibrary": the first half has no JVM
library). \`per_*\` is the time per line, jar or runtime: flat when the cost grows linearly.
\`_BigO\` is Google Benchmark's fit of the growth. Wall ("Time") and CPU time; on a busy machine
the CPU column is the steadier. Each benchmark ran 3 times; the table gives the mean, median,
standard deviation and coefficient of variation of the three. The in-memory services answer at once (a listing is a copy of a
prepared list), so those figures are the launcher's own work; the fake registry's maps add a
logarithmic factor. \`BM_JarDirectoryHost\` adds the kernel's work: reading the directory and one
\`stat\` per entry. A profile of claunch reading a directory of 10,000 jars (perf, ext4, the
"jars" run of part 3) puts most of the time in the kernel's name lookup (\`__d_lookup_rcu\`) and
ext4's getattr for those \`stat\` calls, and about a tenth in the launcher's code; that kernel cost
per entry grows with the directory, while the launcher's own part stays flat
(\`BM_JarDirectory\`).

\`\`\`
$ $(shown "${pre_cmd[@]}")
$(echo "$pre" | grep -v '^\*\*\*WARNING')
\`\`\`

## 3. Peak memory before the runtime loads

claunch runs the whole launch up to the loading of the runtime library, which fails there because
the file named by \`vexil.jvm.path\` is not a library; it reports that and exits with 1. Its peak
resident set (\`ru_maxrss\` from \`wait4\`) is therefore the launcher's peak before the runtime
loads, including the C and C++ runtimes mapped into every process. \`/bin/false\` is the floor of
any dynamically linked program here. The typical file names 20 jars; "lines" adds 10,000 option
lines with variables, "jars" reads a jar directory of 10,000 jars instead.

\`\`\`
$ $(shown "${mem_cmd[@]}")
$(echo "$mem" | grep -v ratio | sed "s#$root#bench/out#g")
\`\`\`
EOM
} >"$results"
echo "wrote $results" >&2
