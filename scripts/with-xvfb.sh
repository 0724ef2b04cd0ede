#!/usr/bin/env bash
# Runs a command on a private Xvfb display and stops the server afterwards.
# A bare Xvfb has no window manager, so the window-manager atoms JUCE looks up
# are interned first (JUCE stops with BadAtom otherwise).
set -u

display=""
for n in $(seq 90 140); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
done
[ -n "$display" ] || { echo "with-xvfb: no free display number" >&2; exit 1; }

Xvfb "$display" -noreset -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null' EXIT

export DISPLAY="$display"
for _ in $(seq 1 100); do
  xprop -root >/dev/null 2>&1 && break
  sleep 0.05
done

for atom in WM_PROTOCOLS WM_TAKE_FOCUS WM_DELETE_WINDOW WM_CHANGE_STATE WM_STATE _NET_WM_PING \
            _NET_WM_WINDOW_TYPE _NET_WM_WINDOW_TYPE_NORMAL _NET_WM_STATE _NET_WM_STATE_HIDDEN \
            _NET_FRAME_EXTENTS _NET_WM_ALLOWED_ACTIONS _MOTIF_WM_HINTS _NET_WORKAREA; do
  xprop -root -f _ATOMS 32a -set _ATOMS "$atom" >/dev/null 2>&1
done

"$@"
