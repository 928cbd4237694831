#!/usr/bin/env bash
# Installs what is missing, builds, and runs every benchmark. Each generates its
# big simulator folder and category file in a temporary folder and reports its
# times beside the floor they are measured against.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/build.sh"
for bench in bench_scan bench_profile bench_lists bench_edit; do
  echo "== $bench"
  "$here/build/$bench"
done
echo "== bench_window (the real window, on a virtual display of its own)"
xvfb-run -a -s "-screen 0 1280x1024x24" "$here/build/bench_window"
