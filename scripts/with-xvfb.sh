#!/usr/bin/env bash
# Runs a command on a private Xvfb display and stops the server afterwards.
# A bare Xvfb has no window manager, so the window-manager atoms JUCE looks up
# are interned first (JUCE stops with BadAtom otherwise).
set -u

# Tests run side by side: two may pick the same free-looking number, and only
# one Xvfb gets its lock. A server that dies at start lost it: try the next.
display=""
xvfb_pid=""
for n in $(seq 90 140); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
  Xvfb ":$n" -noreset -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 100); do
    kill -0 "$xvfb_pid" 2>/dev/null || break
    xprop -display ":$n" -root >/dev/null 2>&1 && { display=":$n"; break; }
    sleep 0.05
  done
  if [ -n "$display" ] && kill -0 "$xvfb_pid" 2>/dev/null; then break; fi
  kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null
  display=""; xvfb_pid=""
done
[ -n "$display" ] || { echo "with-xvfb: no free display number" >&2; exit 1; }
trap 'kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null' EXIT
export DISPLAY="$display"

for atom in WM_PROTOCOLS WM_TAKE_FOCUS WM_DELETE_WINDOW WM_CHANGE_STATE WM_STATE _NET_WM_PING \
            _NET_WM_WINDOW_TYPE _NET_WM_WINDOW_TYPE_NORMAL _NET_WM_STATE _NET_WM_STATE_HIDDEN \
            _NET_FRAME_EXTENTS _NET_WM_ALLOWED_ACTIONS _MOTIF_WM_HINTS _NET_WORKAREA; do
  xprop -root -f _ATOMS 32a -set _ATOMS "$atom" >/dev/null 2>&1
done

"$@"
