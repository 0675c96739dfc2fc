#!/usr/bin/env bash
# Installs what building and testing need on Debian 12 (run as root or with sudo).
set -euo pipefail

packages=(
  cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev   # native build and tests
  g++-mingw-w64-x86-64-posix wine wine64                              # Windows cross build, run under Wine
  python3-pefile                                                      # reads the Windows programs' resources back
  openjdk-17-jdk-headless                                             # the real JVM and javac
  openjdk-17-jdk xvfb x11-apps                                        # the runtime's splash-screen library, a display, xwd
  clang libclang-rt-14-dev clang-format clang-tidy                    # sanitizers, fuzzers, style
  mmdebstrap qemu-user                                                # portable builds: Debian 11 roots, ARM64 runs
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
