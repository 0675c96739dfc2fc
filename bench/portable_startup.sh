#!/usr/bin/env bash
# Start-up of the portable x64 claunch (Debian 11's compiler and C library,
# tools/build_portable.sh) against the Debian 12 build (preset bench), side by
# side in one run of the alternating runner, with "java -cp" beside them, on
# this machine's OpenJDK 17. Writes section 5 of bench/RESULTS.md.
#
#   bench/portable_startup.sh [ROUNDS]   (default 30; run tools/build_portable.sh first)
set -euo pipefail
cd "$(dirname "$0")/.."

rounds=${1:-30}
home=${VEXIL_BENCH_JDK:-/usr/lib/jvm/java-17-openjdk-amd64}
portable=build/portable-x64/launcher/claunch
results=bench/RESULTS.md
out=bench/out/portable
if [ ! -x "$portable" ]; then
  echo "no $portable: run tools/build_portable.sh first" >&2
  exit 1
fi

cmake --preset bench >/dev/null
cmake --build build/bench --target claunch vexil_bench_runner >/dev/null
runner=build/bench/bench/vexil_bench_runner
debian12=build/bench/launcher/claunch

rm -rf "$out"
mkdir -p "$out/classes"
root=$(cd "$out" && pwd)
"$home/bin/javac" -d "$root/classes" bench/app/Hello.java
"$home/bin/jar" cf "$root/hello.jar" -C "$root/classes" .
for build in debian12 portable; do
  mkdir -p "$root/$build/bin"
  printf '%s\n' vexil.main.class=Hello "vexil.java.home.path=$home" "-Djava.class.path=$root/hello.jar" \
    >"$root/$build/bin/hello.lap"
done
cp "$debian12" "$root/debian12/bin/hello"
cp "$portable" "$root/portable/bin/hello"
expected=$("$home/bin/java" -cp "$root/hello.jar" Hello home)
for build in debian12 portable; do
  got=$("$root/$build/bin/hello" home)
  if [ "$got" != "$expected" ]; then
    echo "$build starts $got, java -cp starts $expected: not comparable" >&2
    exit 1
  fi
done

highest_glibc() { readelf -V -W "$1" | grep -o 'Name: GLIBC_[0-9.]*' | sed 's/Name: GLIBC_//' | sort -V | tail -1; }
shown() { printf '%s ' "$@" | sed "s#$root#bench/out/portable#g; s#$PWD/##g"; }

echo "hello through both builds ($rounds rounds) ..." >&2
# The Debian 12 build first: the runner gives each other command's ratio to it.
cmd=("$runner" --runs "$rounds" --warmup 3
     -- "$root/debian12/bin/hello"
     -- "$root/portable/bin/hello"
     -- "$home/bin/java" -cp "$root/hello.jar" Hello)
measured=$("${cmd[@]}")
ratio() {  # C: the median per-round ratio of command C to command 1, with min and max
  echo "$measured" | awk -v c="$1" '$1 == "command" && $2 == c && $3 == "/" {
    gsub(/[;,]/, ""); print $9 " (" $11 "–" $13 ")" }'
}
medians=$(echo "$measured" | awk '$1 == "runs" { gsub(/,/, ""); print $6 }' | paste -sd ' ')
read -r debian12_ms portable_ms java_ms <<<"$medians"
loads=$(echo "$measured" | sed -n 's/^load average \(before\|after\): //p' | paste -sd '/' | sed 's#/# → #')

section=$(
  cat <<EOM
## 5. The portable build against the Debian 12 build

Written by \`bench/portable_startup.sh $rounds\` on $(date -u '+%Y-%m-%d %H:%M UTC'), commit $(git rev-parse --short HEAD),
on this machine ($(nproc) cores, shared) and $home ($(sed -n 's/^JAVA_VERSION="\(.*\)"/\1/p' "$home/release")).
Hello (its \`main\` returns at once) through claunch of the Debian 12 build (preset \`bench\`, GCC
$(gcc -dumpversion), glibc $(highest_glibc "$debian12") needed) and of the portable build
(\`tools/build_portable.sh\`, GCC 10 and glibc 2.31 of Debian 11, glibc $(highest_glibc "$portable") needed), and
\`java -cp\`, alternating in one run of the runner as in part 1. Expected: the two builds the same
within the noise.

| Measure | Ratio (min–max) | Median wall times | Load before → after |
|---|---|---|---|
| portable build / Debian 12 build | $(ratio 2) | $portable_ms / $debian12_ms ms | $loads |
| \`java -cp\` / Debian 12 build | $(ratio 3) | $java_ms / $debian12_ms ms | |

\`\`\`
\$ $(shown "${cmd[@]}")
$(echo "$measured" | sed "s#$root#bench/out/portable#g")
\`\`\`
EOM
)
# Section 5 replaces its earlier copy; the sections before it are bench/run_benchmarks.sh's.
if [ -f "$results" ]; then
  before=$(sed '/^## 5\. The portable build/,$d' "$results")
else
  before="# Benchmark results"
fi
printf '%s\n\n%s\n' "$before" "$section" | cat -s >"$results"
echo "wrote section 5 of $results" >&2
