#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (the window tests on a
# virtual display of their own).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/build.sh"
cd "$here/build"
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j"$(nproc)" --timeout 300
