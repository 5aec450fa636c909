#!/usr/bin/env bash
# Runs a test program on a virtual X display of its own, optionally under
# the openbox window manager, and stops both afterwards. Xvfb picks a free
# display number itself, so several copies run at once.
#   on_virtual_display.sh [--openbox] PROGRAM [ARGS...]
set -euo pipefail

with_wm=""
if [ "${1:-}" = "--openbox" ]; then
  with_wm=1
  shift
fi

work="$(mktemp -d)"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 200); do
  [ -s "$work/display" ] && break
  sleep 0.05
done
if [ ! -s "$work/display" ]; then
  echo "on_virtual_display: Xvfb did not start" >&2
  cat "$work/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$(head -n1 "$work/display")"

if [ -n "$with_wm" ]; then
  HOME="$work" openbox --sm-disable >"$work/openbox.log" 2>&1 &
  pids+=($!)
  # The window manager is up once it names itself on the root window.
  for _ in $(seq 200); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
    sleep 0.05
  done
fi

export QT_QPA_PLATFORM=xcb
"$@"
