#!/usr/bin/env bash
# Debian's reference LV2 host, jalv, runs the plug-in headless on a private
# dummy JACK server; ecasound plays an impulse through it and records the
# result, and the echo must sit where the default delay time puts it.
#   jalv-echo.sh BUNDLE URI WAV_PROBE
set -u
bundle="$1"; uri="$2"; probe="$3"

work=$(mktemp -d)
server="selvane-test-$$"
pids=()
cleanup() {
  exec 3>&- 2>/dev/null
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

# jalv finds plug-ins through LV2_PATH; the bundle is linked in fresh.
mkdir -p "$work/lv2"
ln -s "$(cd "$bundle" && pwd)" "$work/lv2/Selvane.lv2"
export LV2_PATH="$work/lv2"
export JACK_DEFAULT_SERVER="$server"
export HOME="$work"

# The dummy driver runs in real time: the whole test takes about 15 s.
jackd -n "$server" -r -d dummy -r 48000 -p 1024 >"$work/jackd.log" 2>&1 &
pids+=($!)
for _ in $(seq 1 100); do
  jack_lsp >/dev/null 2>&1 && break
  sleep 0.1
done
jack_lsp >/dev/null 2>&1 || { echo "FAIL: the dummy JACK server did not start"; cat "$work/jackd.log"; exit 1; }

# A fresh instance starts with the shortest delay and glides to its length
# (0.1 s by default) over some seconds: the impulse comes late enough that
# the glide has long settled.
"$probe" impulse "$work/in.wav" 48000 13 12 || exit 1

# jalv reads commands from its input and quits at its end: keep it open
# through a FIFO this script holds.
mkfifo "$work/commands"
exec 3<>"$work/commands"
jalv -n selvane "$uri" <"$work/commands" >"$work/jalv.log" 2>&1 &
pids+=($!)
for _ in $(seq 1 100); do
  jack_lsp 2>/dev/null | grep -q '^selvane:' && break
  sleep 0.1
done
jack_lsp 2>/dev/null | grep -q '^selvane:' || { echo "FAIL: jalv did not bring the plug-in up"; cat "$work/jalv.log"; exit 1; }
echo "jalv ports: $(jack_lsp | grep '^selvane:' | tr '\n' ' ')"

ecasound -q -f:f32_le,2,48000 -a:play -i "$work/in.wav" -o jack,selvane -a:rec -i jack,selvane -o "$work/out.wav" \
  -t:13 >"$work/ecasound.log" 2>&1
[ -s "$work/out.wav" ] || { echo "FAIL: nothing was recorded"; cat "$work/ecasound.log"; exit 1; }

result=$("$probe" echo "$work/out.wav") || { echo "FAIL: $result"; exit 1; }
echo "$result"
delay=$(echo "$result" | awk '{ print $NF }')
level=$(echo "$result" | awk '{ print $6 }')
# Default setting: medium mode, "DelayTime" 0 = 0.1 s = 4800 samples; loop gain 0.55 through the filters.
if [ "$delay" -ne 4800 ]; then echo "FAIL: echo $delay samples after the impulse, expected 4800"; exit 1; fi
if ! awk -v l="$level" 'BEGIN { exit !(l > 0.35 && l < 0.45) }'; then echo "FAIL: echo level $level, expected about 0.41"; exit 1; fi
echo "echo found 4800 samples after the impulse at level $level"
