#!/usr/bin/env bash
# Opens the editor in a real window (our JUCE-based host for VST, VST3 or
# LV2, or the Standalone app) on the X display of the caller (run it through
# scripts/with-xvfb.sh), drives it with a real pointer and checks what the
# screen shows and what the host is told.
#   editor-window.sh FORMAT HOST_TESTS_BINARY STANDALONE_BINARY SCREENSHOT_DIR
set -u
format="$1"; host="$2"; standalone="$3"; shots="$4"
. "$(dirname "$0")/wait-until.sh"
work=$(mktemp -d)
pid=""
cleanup() { [ -n "$pid" ] && kill "$pid" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
mkdir -p "$shots"
failures=0
fail() { echo "FAIL ($format): $*"; failures=$((failures + 1)); }

shot() { /usr/bin/import -window root "$work/screen.png"; }
# "r g b" of a screen pixel in the last screenshot
pixel() { /usr/bin/convert "$work/screen.png" -crop "1x1+$1+$2" -depth 8 txt:- | tail -1 | sed -E 's/.*\(([0-9]+),([0-9]+),([0-9]+).*/\1 \2 \3/'; }
is_crimson() { read -r r g b <<<"$(pixel "$1" "$2")"; [ "$r" -gt 180 ] && [ "$g" -lt 60 ] && [ "$b" -lt 90 ]; }
is_reddish() { read -r r g b <<<"$(pixel "$1" "$2")"; [ "$r" -gt $((g + 50)) ] && [ "$r" -gt $((b + 40)) ]; }
is_dark() { read -r r g b <<<"$(pixel "$1" "$2")"; [ $((r + g + b)) -lt 150 ]; }
click() { xdotool mousemove --sync "$1" "$2" click 1; }
hover() { xdotool mousemove --sync "$1" "$2"; }
# Polls the screen until a check holds (up to 20 s): `looks is_crimson X Y`.
screen_holds() { shot && "$@"; }
looks() { wait_until 20 screen_holds "$@"; }
visible_window() { window=$(xdotool search --onlyvisible --name '^Selvane$' 2>/dev/null | head -1); [ -n "$window" ]; }

# Open the editor and find its top-left corner on the screen.
if [ "$format" = Standalone ]; then
  HOME="$work" "$standalone" >"$work/log" 2>&1 &
  pid=$!
  window=""
  wait_until 60 visible_window || { echo "FAIL ($format): no window appeared"; exit 1; }
  # The window settles its place and size after it shows: look until the
  # editor's title strip is where the window's geometry puts it.
  editor_in_window() {
    eval "$(xdotool getwindowgeometry --shell "$window")"
    border=$(( (WIDTH - 620) / 2 ))
    x0=$((X + border)); y0=$((Y + HEIGHT - 305 - border))  # the editor fills the window's bottom
    shot && is_dark $((x0 + 5)) $((y0 + 5))
  }
  wait_until 60 editor_in_window
else
  "$host" --window "$format" 600 >"$work/log" 2>&1 &  # ended by this script
  pid=$!
  wait_until 60 grep -q '^editor at' "$work/log"
  read -r _ _ x0 y0 _ <<<"$(grep '^editor at' "$work/log")"
  [ -n "${x0:-}" ] || { echo "FAIL ($format): the host did not show the editor"; cat "$work/log"; exit 1; }
fi
echo "$format: editor at $x0,$y0"

looks is_dark $((x0 + 5)) $((y0 + 5)) || fail "the title strip is not where the editor should be"
cp "$work/screen.png" "$shots/editor-$format.png"

# Short, then Long: only Long stays lit, and the host hears "Mode" 0.66.
click $((x0 + 600)) $((y0 + 186))
looks is_crimson $((x0 + 572)) $((y0 + 186)) || fail "Short is not lit after clicking it"
click $((x0 + 600)) $((y0 + 226))
hover $((x0 + 200)) $((y0 + 150))
looks is_crimson $((x0 + 572)) $((y0 + 226)) || fail "Long is not lit after clicking it"
is_crimson $((x0 + 572)) $((y0 + 186)) && fail "Short is still lit"
is_crimson $((x0 + 572)) $((y0 + 206)) && fail "Mid is still lit"
if [ "$format" != Standalone ]; then
  wait_until 20 grep -q '^param Mode 0.6600' "$work/log" || fail "the host was not told Mode 0.66"
fi

# Hovering Sync shows the range labels beside the delay read-out; away from
# the mode buttons they go.
range_labels() { is_crimson $((x0 + 415)) $((y0 + 208)) && is_crimson $((x0 + 552)) $((y0 + 208)); }
no_range_labels() { ! is_crimson $((x0 + 415)) $((y0 + 208)) && ! is_crimson $((x0 + 552)) $((y0 + 208)); }
looks no_range_labels || fail "range labels showing with the pointer away from the mode buttons"
hover $((x0 + 600)) $((y0 + 246))
looks range_labels || fail "hovering Sync does not show the shortest- and longest-delay labels"
cp "$work/screen.png" "$shots/editor-$format-hover.png"

# The gear opens the options page; with MIDI learn on, the mode control under
# the pointer shows its red brackets.
click $((x0 + 602)) $((y0 + 15))
looks is_dark $((x0 + 450)) $((y0 + 100)) || fail "the options page did not open"
click $((x0 + 345)) $((y0 + 40))
hover $((x0 + 593)) $((y0 + 215))
looks is_reddish $((x0 + 566)) $((y0 + 179)) || fail "no learn brackets on the mode control under the pointer"
cp "$work/screen.png" "$shots/editor-$format-learn.png"

[ $failures -eq 0 ] && echo "$format: all checks passed"
exit $((failures > 0))
