#!/usr/bin/env bash
# Builds the release archives from a clean tree, into build/release/:
#   vexil-<version>-windows-x64.zip    wlaunch.exe, claunch.exe, vexil-stamp.exe, the sample
#   vexil-<version>-linux-x64.tar.gz   claunch, the sample
# both with README.md and LICENSE. The version is the one in CMakeLists.txt.
# Runs on Debian 12 (installs what it needs, as tools/run_all_tests.sh does).
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install_dependencies.sh
mkdir -p build/release
for preset in native win64; do
  echo "=== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  cpack --config "build/$preset/CPackConfig.cmake" -B build/release
done
rm -rf build/release/_CPack_Packages
ls -l build/release
