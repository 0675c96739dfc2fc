#!/usr/bin/env bash
# Builds the release archives from a clean tree, into build/release/:
#   vexil-<version>-windows-x64.zip    wlaunch.exe, claunch.exe, vexil-stamp.exe, the sample
#   vexil-<version>-linux-x64.tar.gz   claunch, the sample   (the portable builds of
#   vexil-<version>-linux-arm64.tar.gz claunch, the sample    tools/build_portable.sh)
# all with README.md and LICENSE. The version is the one in CMakeLists.txt.
# Runs on Debian 12 as root (installs what it needs, as tools/run_all_tests.sh does).
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install_dependencies.sh
mkdir -p build/release
echo "=== win64"
cmake --preset win64 >/dev/null
cmake --build --preset win64
cpack --config build/win64/CPackConfig.cmake -B build/release
# Builds and tests both portable Linux builds; a release is made only from tested ones.
tools/build_portable.sh
for build in portable-x64 portable-arm64; do
  cpack --config "build/$build/CPackConfig.cmake" -B build/release
done
rm -rf build/release/_CPack_Packages
ls -l build/release
