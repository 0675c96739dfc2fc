#!/usr/bin/env bash
# Builds the Linux launcher and the sample application, then runs the sample
# through the launcher: build/native/sample/greeter/greeter with greeter.lap.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install_dependencies.sh
cmake --preset native >/dev/null
cmake --build --preset native --target run-sample
