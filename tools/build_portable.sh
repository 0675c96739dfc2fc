#!/usr/bin/env bash
# Builds the portable Linux programs (claunch, jvm_probe, vexil-stamp) with
# Debian 11's compiler and C library, so that they run on glibc 2.28 and later
# systems, for x86-64 and ARM64, and tests them:
#   build/portable-x64     in a bullseye root, tested there on its OpenJDK 17
#   build/portable-arm64   cross-compiled in the same root (bullseye's
#                          aarch64 C library), tested under qemu-aarch64 on
#                          bullseye's arm64 OpenJDK 17, unpacked into a root
#                          of its own
# and checks that no program needs a glibc symbol version above the floor.
#   tools/build_portable.sh          all of it
#   tools/build_portable.sh --ci     the emulated tests as a short list (CI)
# The roots are kept in $VEXIL_ROOTS (tools/portable_roots.sh). Runs as root:
# it mounts the source tree and /proc into the root, in a mount namespace of
# its own, so that nothing stays mounted when it ends, however it ends.
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD

emulated_tests=all
if [ "${1:-}" = --ci ]; then
  emulated_tests=short
elif [ $# -gt 0 ]; then
  echo "usage: $0 [--ci]" >&2
  exit 2
fi

if [ "$(id -u)" -ne 0 ]; then
  exec sudo "$source_dir/tools/build_portable.sh" "$@"
fi
if [ -z "${VEXIL_PORTABLE_NAMESPACE:-}" ]; then
  tools/install_dependencies.sh
  VEXIL_PORTABLE_NAMESPACE=1 exec unshare --mount --propagation private "$source_dir/tools/build_portable.sh" "$@"
fi

# One run at a time in this tree: a second waits for the first.
mkdir -p build
exec {tree_lock}>build/portable.lock
if ! flock -n "$tree_lock"; then
  echo "Another run of $0 is building in $source_dir/build; waiting for it"
  flock "$tree_lock"
fi

source tools/portable_roots.sh
# The highest glibc symbol version the programs may need (RHEL 8's glibc).
glibc_floor=2.28
started=$SECONDS

ensure_root bullseye-amd64 amd64 apt g++ g++-aarch64-linux-gnu libgtest-dev libgmock-dev openjdk-17-jdk-headless
build_root=$root
ensure_root bullseye-arm64 arm64 extract libc6 openjdk-17-jre-headless
arm64_root=$root
echo "=== roots ready after $((SECONDS - started)) s"

# The source tree and CMake's modules (it compiles some of their files) appear
# in the root at their own paths, so that the paths CMake writes mean the same
# inside and out; the runtime wants /proc.
echo 'message("${CMAKE_ROOT}")' >build/cmake-root.cmake
cmake_modules=$(cmake -P build/cmake-root.cmake 2>&1)
mounted=()
unmount_all() {
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[i]}" 2>/dev/null || true; done
}
trap unmount_all EXIT
mkdir -p "$build_root$source_dir"
mount --bind "$source_dir" "$build_root$source_dir"
mounted+=("$build_root$source_dir")
mkdir -p "$build_root$cmake_modules"
mount --bind -o ro "$cmake_modules" "$build_root$cmake_modules"
mounted+=("$build_root$cmake_modules")
mount -t proc proc "$build_root/proc"
mounted+=("$build_root/proc")

# in_root DIR COMMAND...: runs COMMAND in the root, in DIR, with a clean environment.
in_root() {
  local dir=$1
  shift
  env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
    chroot "$build_root" /bin/sh -c 'cd "$0" && exec "$@"' "$dir" "$@"
}

# Compiler and archiver wrappers that run the root's tools, for CMake and
# Ninja, which run here (bullseye's CMake is older than the project needs).
write_tools() {
  local dir=$1 prefix=$2
  mkdir -p "$dir"
  local tool
  for tool in gcc g++ ar ranlib; do
    # -MMD for -MD: the dependency files then name the project's headers but
    # not the root's system ones, which Ninja here would miss and rebuild for.
    printf '#!/bin/sh\nfor a do shift; [ "$a" = -MD ] && a=-MMD; set -- "$@" "$a"; done\nexec chroot %q /bin/sh -c '\''cd "$0" && exec "$@"'\'' "$PWD" /usr/bin/%s "$@"\n' \
      "$build_root" "$prefix$tool" >"$dir/$tool"
    chmod +x "$dir/$tool"
  done
}

# configure BUILD_DIR PREFIX CMAKE_ARGUMENT...
configure() {
  local build=$1 prefix=$2
  shift 2
  write_tools "$build/root-tools" "$prefix"
  cmake -S "$source_dir" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_C_COMPILER="$build/root-tools/gcc" -DCMAKE_CXX_COMPILER="$build/root-tools/g++" \
    -DCMAKE_AR="$build/root-tools/ar" -DCMAKE_RANLIB="$build/root-tools/ranlib" \
    -DCMAKE_EXE_LINKER_FLAGS="-static-libstdc++ -static-libgcc" \
    -DCMAKE_SHARED_LINKER_FLAGS="-static-libstdc++ -static-libgcc" \
    -DVEXIL_GLIBC_FLOOR=$glibc_floor "$@" >"$build.configure.log" ||
    {
      cat "$build.configure.log"
      return 1
    }
}

status=0
x64=$source_dir/build/portable-x64
arm64=$source_dir/build/portable-arm64

echo "=== portable x64: build in $build_root"
step=$SECONDS
configure "$x64" ""
cmake --build "$x64" -j2 --target claunch jvm_probe vexil-stamp sample vexil_e2e_tests
echo "built in $((SECONDS - step)) s"

echo "=== portable x64: tests in the root, on its OpenJDK 17"
# Start, arguments, exit codes, reports, the jar directory, signals.
in_root "$x64" java -version 2>&1 | head -1
in_root "$x64" tests/e2e/vexil_e2e_tests \
  --gtest_filter='RealJvmTest.*:ConsoleControlRealJvm.*:*/MissingConfiguration.*:*/NoAcceptableJvm.*:RuntimeHosting.EachReportNamesItsCause' || status=1
# The glibc floor and the needed libraries, read on this side.
ctest --test-dir "$x64" -R 'e2e\.(glibc_floor|elf_needed)|release\.listing' --output-on-failure || status=1

echo "=== portable arm64: cross build in $build_root"
step=$SECONDS
configure "$arm64" aarch64-linux-gnu- -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/aarch64-linux-gnu.cmake"
cmake --build "$arm64" -j2 --target claunch jvm_probe vexil-stamp sample
echo "built in $((SECONDS - step)) s"
ctest --test-dir "$arm64" -R 'e2e\.(glibc_floor|elf_needed)|release\.listing' --output-on-failure || status=1

echo "=== portable arm64: tests under qemu-aarch64"
tools/test_arm64_launcher.sh "$arm64" "$arm64_root" "$x64" "$emulated_tests" || status=1

echo "=== portable: $((SECONDS - started)) s"
exit $status
