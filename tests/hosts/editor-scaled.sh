#!/usr/bin/env bash
# The editor on a screen scaled by 2, in a real window, next to the same at
# scale 1. The plug-in formats get the scale from JUCE's hosting classes
# (VST3 content scale, LV2 ui:scaleFactor, VST 2.x's DPI call); the
# Standalone from the desktop (XSettings Gdk/WindowScalingFactor, served by
# xsettingsd). The window must be twice the size and show the 2x pictures
# pixel for pixel; at scale 1 the 1x pictures. Run through scripts/with-xvfb.sh.
#   editor-scaled.sh FORMAT HOST_TESTS_BINARY STANDALONE_BINARY RESOURCES_DIR SCREENSHOT_DIR
set -u
format="$1"; host="$2"; standalone="$3"; resources="$4"; shots="$5"
. "$(dirname "$0")/wait-until.sh"
. "$(dirname "$0")/editor-pictures.sh"
work=$(mktemp -d)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done; wait 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
mkdir -p "$shots"
failures=0
fail() { echo "FAIL ($format): $*"; failures=$((failures + 1)); }

# JUCE reads a display's scale only where the root window announces a work area.
xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA "0, 0, 1280, 800"

for scale in 1 2; do
  if [ "$format" = Standalone ]; then
    if [ "$scale" = 2 ]; then
      command -v xsettingsd >/dev/null || { echo "SKIP ($format): xsettingsd is missing (make setup installs it)"; exit 0; }
      echo "Gdk/WindowScalingFactor 2" >"$work/xsettings"
      xsettingsd -c "$work/xsettings" >/dev/null 2>&1 &
      pids+=($!)
      serving_scale() { dump_xsettings 2>/dev/null | grep -q 'WindowScalingFactor 2'; }
      wait_until 20 serving_scale || fail "xsettingsd did not serve the scale"
    fi
    HOME="$work/home$scale" "$standalone" >"$work/log" 2>&1 &
    pid=$!
    window=""
    visible_window() { window=$(xdotool search --onlyvisible --name '^Selvane$' 2>/dev/null | head -1); [ -n "$window" ]; }
    wait_until 60 visible_window || { fail "no window appeared at scale $scale"; continue; }
    # The window takes its size a moment after it shows.
    editor_sized() { eval "$(xdotool getwindowgeometry --shell "$window")"; [ "$WIDTH" -ge $((620 * scale)) ]; }
    wait_until 20 editor_sized
    width=$((620 * scale)); height=$((305 * scale))
    [ "$WIDTH" -ge "$width" ] || fail "the window is $WIDTH wide at scale $scale, narrower than the editor's $width"
    border=$(( (WIDTH - width) / 2 ))
    x0=$((X + border)); y0=$((Y + HEIGHT - height - border))  # the editor fills the window's bottom
  else
    "$host" --window "$format" 600 "$scale" >"$work/log" 2>&1 &  # ended by this script
    pid=$!
    wait_until 60 grep -q '^editor at' "$work/log"
    read -r _ _ x0 y0 _ width height <<<"$(grep '^editor at' "$work/log")"
    [ -n "${x0:-}" ] || { fail "the host did not show the editor at scale $scale"; cat "$work/log"; continue; }
    [ "$width" = $((620 * scale)) ] && [ "$height" = $((305 * scale)) ] \
      || fail "the editor is ${width}x${height} at scale $scale, not $((620 * scale))x$((305 * scale))"
  fi

  # a loaded machine may take a moment to paint: look again for up to 30 s
  # before calling it wrong (the last look's figures are in $picture_report)
  shows_pictures() {
    /usr/bin/import -window root "$work/screen.png"
    editor_shows_pictures "$work/screen.png" "$x0" "$y0" "$scale" "$resources" "$work"
  }
  wrong=0
  wait_until 30 shows_pictures || wrong=1
  printf '%s' "$picture_report" | sed "s/^/$format /"
  cp "$work/screen.png" "$shots/editor-$format-scale$scale.png"
  [ $wrong -eq 0 ] || fail "at scale $scale the screen does not show the expected picture 1:1 (screenshot: $shots/editor-$format-scale$scale.png)"

  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
done

[ $failures -eq 0 ] && echo "PASS ($format): the editor draws its 1x pictures at scale 1 and its 2x pictures at scale 2"
exit $((failures > 0))
