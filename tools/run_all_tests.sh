#!/usr/bin/env bash
# Builds every preset and runs every test: the layer check, the Linux build
# (unit tests and the real JVM), the Windows programs under Wine, the
# sanitizer build, the portable Linux builds (x64 and ARM64, in Debian 11
# roots kept in /var/cache/vexil/roots; see tools/build_portable.sh), the style
# check, and every fuzz target for VEXIL_FUZZ_SECONDS each (default 60).
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install_dependencies.sh

status=0
echo "=== layers"
tools/check_layers.sh || status=1
for preset in native win64 sanitize; do
  echo "=== $preset"
  cmake --workflow --preset "$preset" || status=1
done
echo "=== portable"
tools/build_portable.sh --ci || status=1
echo "=== style"
tools/check_style.sh || status=1
echo "=== fuzz"
tools/run_fuzzers.sh "${VEXIL_FUZZ_SECONDS:-60}" || status=1
exit $status
