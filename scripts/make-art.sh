#!/usr/bin/env bash
# Rebuilds the drawing tool and redraws the program's own pictures
# (src/ui/res/*.bmp) and the demo thumbnails (demo/sim/Aircraft/*/texture*/thumbnail.bmp).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out="$here/build-art"
mkdir -p "$out"
g++ -std=c++20 -O2 -Wall -Wextra -Wpedantic -Wshadow -Werror -o "$out/make_art" "$here/tools/make_art.cpp"
"$out/make_art" "$here"
