#!/usr/bin/env bash
# Builds Quillmarsh and runs it on the demo simulator folder.
#
# The first run copies demo/sim to demo-run/sim (ignored by git) and points the
# demo category file's thumbnails at the copy. Later runs keep that copy, with
# whatever categories you made in it; delete demo-run/ to start afresh.
#
# Quillmarsh finds the simulator from the folder it is started in: it is the
# companion folder Trevolan/Brindlecotharbor below the simulator's root, so the
# program is started there.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd -P)

"$here/scripts/deps.sh"
echo "Building Quillmarsh"
log=$(mktemp "${TMPDIR:-/tmp}/quillmarsh-build.XXXXXX")
if ! "$here/scripts/build.sh" --target quillmarsh >"$log" 2>&1; then
  cat "$log" >&2
  rm -f "$log"
  echo "The build failed." >&2
  exit 1
fi
rm -f "$log"

program="$here/build/quillmarsh"
if [ ! -x "$program" ]; then
  echo "The build made no program at $program." >&2
  exit 1
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Built, but there is no display: Quillmarsh is a desktop program. Run it on a desktop, or under a virtual display:" >&2
  echo "  xvfb-run -a ./scripts/run.sh" >&2
  exit 1
fi

sim="$here/demo-run/sim"
if [ ! -e "$sim" ]; then
  echo "Copying the demo simulator folder to demo-run/sim"
  "$here/scripts/copy-demo.sh" "$sim"
fi

companion="$sim/Trevolan/Brindlecotharbor"
if [ ! -d "$companion" ]; then
  echo "$companion is missing: delete demo-run/ and run again for a fresh demo copy." >&2
  exit 1
fi
cd "$companion"
echo "Starting Quillmarsh in $companion"
exec "$program"
