#!/usr/bin/env bash
# Installs what is missing and builds into build/, warnings as errors.
#   ./scripts/build.sh [cmake --build arguments, e.g. --target quillmarsh]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/deps.sh"
cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQM_WERROR=ON >/dev/null
cmake --build "$here/build" -j"$(nproc)" "$@"
