#!/usr/bin/env bash
# Takes a screenshot of Quillmarsh's main window on the demo simulator folder.
#
#   ./scripts/screenshot.sh [out.png]      (default docs/screenshot.png)
#
# Runs the built program (build/quillmarsh; QM_PROGRAM names another) on a
# fresh temporary copy of demo/sim, on a private virtual display, so the
# user's own demo-run/ copy and desktop stay untouched. Build first with
# ./scripts/build.sh.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd -P)
out=${1:-$here/docs/screenshot.png}
program=${QM_PROGRAM:-$here/build/quillmarsh}
timeout_s=${QM_SCREENSHOT_TIMEOUT:-30}

for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "screenshot.sh: $tool is missing (run ./scripts/deps.sh)" >&2; exit 1; }
done
if [ ! -x "$program" ]; then
  echo "screenshot.sh: no program at $program; build it first with ./scripts/build.sh" >&2
  exit 1
fi
mkdir -p "$(dirname "$out")"
out="$(cd "$(dirname "$out")" && pwd -P)/$(basename "$out")"

work=$(mktemp -d "${TMPDIR:-/tmp}/quillmarsh-shot.XXXXXX")
xvfb_pid=
program_pid=
cleanup() {
  set +e
  for pid in $program_pid $xvfb_pid; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

"$here/scripts/copy-demo.sh" "$work/sim"

# A private X server on a display number it picks itself: it writes the number
# to the file once it accepts connections.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 1 100); do
  [ -s "$work/display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || { echo "screenshot.sh: Xvfb did not start:" >&2; cat "$work/xvfb.log" >&2; exit 1; }
  sleep 0.1
done
[ -s "$work/display" ] || { echo "screenshot.sh: Xvfb did not report a display" >&2; exit 1; }
export DISPLAY=":$(tr -d '[:space:]' <"$work/display")"
unset WAYLAND_DISPLAY
export GDK_BACKEND=x11

(cd "$work/sim/Trevolan/Brindlecotharbor" && exec "$program") >"$work/program.log" 2>&1 &
program_pid=$!

if ! window=$(timeout "$timeout_s" xdotool search --sync --onlyvisible --name '^Quillmarsh$' 2>/dev/null | head -n 1) \
   || [ -z "$window" ]; then
  echo "screenshot.sh: no window named Quillmarsh appeared within ${timeout_s} s" >&2
  kill -0 "$program_pid" 2>/dev/null || echo "screenshot.sh: the program has ended; its output:" >&2
  cat "$work/program.log" >&2
  exit 1
fi
sleep 1  # let the window draw its first frame after mapping
import -window "$window" "$out"
echo "Screenshot written to $out"
