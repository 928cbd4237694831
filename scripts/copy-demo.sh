#!/usr/bin/env bash
# Copies the demo simulator folder demo/sim to the folder named by $1, which
# must not exist yet, and fills in the copy's absolute path where the demo
# category file names a thumbnail (the placeholder @SIM@).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd -P)
dest=${1:?usage: copy-demo.sh <new folder>}
if [ -e "$dest" ]; then
  echo "copy-demo.sh: $dest exists already" >&2
  exit 1
fi
parent=$(dirname "$dest")
mkdir -p "$parent"
parent=$(cd "$parent" && pwd -P)
root="$parent/$(basename "$dest")"

# Build the copy beside its place and move it there only when complete, so an
# interrupted copy never passes for a finished one.
tmp=$(mktemp -d "$parent/.sim.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
cp -R "$here/demo/sim/." "$tmp/"
escaped=$(printf '%s' "$root" | sed -e 's/[\\&|]/\\&/g')  # what sed reads as special
sed -i -e "s|@SIM@|$escaped|g" "$tmp/Trevolan/Brindlecotharbor/Quillmarsh.cfg"
mv "$tmp" "$root"
trap - EXIT
