#!/bin/sh
# Runs a command on a virtual display of its own with a window manager
# (openbox): the window tests that type with real key presses need one, since
# without it no window receives the keyboard, and a display of their own keeps
# other windows from taking the focus.
set -eu
exec xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
  openbox >/dev/null 2>&1 &
  wm=$!
  # Until the window manager has taken the screen (at most 10 s).
  i=0
  until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" || [ "$i" -ge 100 ]; do
    sleep 0.1
    i=$((i + 1))
  done
  status=0
  "$@" || status=$?
  kill "$wm" 2>/dev/null || true
  exit "$status"' sh "$@"
