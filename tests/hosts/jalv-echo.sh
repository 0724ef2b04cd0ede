#!/usr/bin/env bash
# Debian's reference LV2 host, jalv, runs the plug-in headless on a private
# dummy JACK server; ecasound plays an impulse through it and records the
# result, and the echo must sit where the delay time puts it: the default, or
# a value given at start. jalv's own list of controls shows every parameter.
#   jalv-echo.sh BUNDLE URI WAV_PROBE SELVANE_RENDER
# (the renderer lists the parameters' names and defaults).
set -u
bundle="$1"; uri="$2"; probe="$3"; render="$4"
. "$(dirname "$0")/wait-until.sh"

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
jack_up() { jack_lsp >/dev/null 2>&1; }
wait_until 60 jack_up || { echo "FAIL: the dummy JACK server did not start"; cat "$work/jackd.log"; exit 1; }

# A fresh instance starts with the shortest delay and glides to its length
# (0.1 s by default) over some seconds: the impulse comes late enough that
# the glide has long settled.
"$probe" impulse "$work/in.wav" 48000 13 12 || exit 1

# One jalv session: the plug-in with the given jalv options, the impulse
# played through it and recorded, and jalv's own view of the controls.
# $first_commands go to jalv before anything plays, and it plays once jalv's
# list of controls shows $first_shown; the echo's level must lie in
# $level_range ("LOW HIGH").
#   run_session NAME EXPECTED_DELAY JALV_OPTIONS...
first_commands=""
first_shown=""
level_range="0.35 0.45"  # the first echo passes once through the filters and the mix: about 0.41 at the defaults
run_session() {
  local name="$1" expected="$2"; shift 2
  local dir="$work/$name"
  mkdir -p "$dir"
  # jalv reads commands from its input and quits at its end: keep it open
  # through a FIFO this script holds.
  mkfifo "$dir/commands"
  exec 3<>"$dir/commands"
  # (its output line by line, so that its list of controls can be waited for)
  stdbuf -oL jalv -n "$name" "$@" "$uri" <"$dir/commands" >"$dir/jalv.log" 2>&1 &
  local jalv_pid=$!
  pids+=($jalv_pid)
  plugin_up() { jack_lsp 2>/dev/null | grep -q "^$name:"; }
  wait_until 60 plugin_up || { echo "FAIL: jalv did not bring the plug-in up"; cat "$dir/jalv.log"; exit 1; }
  echo "jalv ports: $(jack_lsp | grep "^$name:" | tr '\n' ' ')"
  if [ -n "$first_commands" ]; then
    printf '%s\ncontrols\n' "$first_commands" >&3
    wait_until 60 shows "$first_shown" || { echo "FAIL: jalv never showed $first_shown"; cat "$dir/jalv.log"; exit 1; }
  fi

  ecasound -q -f:f32_le,2,48000 -a:play -i "$work/in.wav" -o "jack,$name" -a:rec -i "jack,$name" -o "$dir/out.wav" \
    -t:13 >"$dir/ecasound.log" 2>&1
  [ -s "$dir/out.wav" ] || { echo "FAIL: nothing was recorded"; cat "$dir/ecasound.log"; exit 1; }

  # What the host holds for each parameter, after a change made while running.
  echo "Balance = 0.25" >&3
  echo "controls" >&3
  wait_until 60 shows "Balance = 0.250000" || { echo "FAIL: jalv never listed Balance = 0.25"; cat "$dir/jalv.log"; exit 1; }
  exec 3>&-
  kill "$jalv_pid" 2>/dev/null; wait "$jalv_pid" 2>/dev/null

  local result delay level
  result=$("$probe" echo "$dir/out.wav") || { echo "FAIL: $result"; exit 1; }
  delay=$(echo "$result" | awk '{ print $NF }')
  level=$(echo "$result" | awk '{ print $6 }')
  echo "$name: $result"
  if [ "$delay" -ne "$expected" ]; then echo "FAIL: echo $delay samples after the impulse, expected $expected"; exit 1; fi
  if ! awk -v l="$level" -v r="$level_range" 'BEGIN { split (r, b, " "); exit !(l > b[1] && l < b[2]) }'; then
    echo "FAIL: echo level $level, expected between $level_range"; exit 1
  fi
  controls="$dir/jalv.log"
}

# jalv's list of controls (printed by its "controls" command) shows "SYMBOL = VALUE".
shows() { grep -q "^\(> \)*$1\$" "$dir/jalv.log"; }

expect_control() {
  local symbol="$1" value="$2"
  grep -q "^\(> \)*$symbol = $value\$" "$controls" \
    || { echo "FAIL: jalv shows $(grep -o "$symbol = [0-9.]*" "$controls" | tail -1), expected $symbol = $value"; cat "$controls"; exit 1; }
}

# The defaults: medium mode, "DelayTime" 0 = 0.1 s = 4800 samples. jalv lists
# the nine parameters with their defaults, and the value set while running.
run_session selvane 4800
while read -r symbol default; do
  [ "$symbol" = Balance ] && default=0.25  # set while running
  expect_control "$symbol" "$(printf '%f' "$default")"
done < <("$render" --list-parameters)
echo "jalv shows every parameter's default and the value set while running"

# A value given at start is applied before the first block: "DelayTime" 0.2
# is 0.1 + 0.9 x 0.2 = 0.28 s = 13440 samples.
run_session selvane_c 13440 -c DelayTime=0.2
expect_control DelayTime 0.200000
echo "the value given with -c at start is what plays"

# The factory presets: jalv lists the bank, and choosing one sets every
# parameter: "Tape Echo" is 0.35 s = 16800 samples, its repeats darkened.
first_commands=$(printf 'presets\npreset %s#preset-tape-echo' "$uri")
first_shown="DelayTime = 0.277778"
level_range="0.05 0.35"
run_session selvane_p 16800
for name in "Default" "Slapback" "Tape Echo" "Dub Throw" "Runaway Loop"; do
  grep -q "($name)\|$name" "$controls" || { echo "FAIL: jalv lists no preset '$name'"; cat "$controls"; exit 1; }
done
echo "jalv's presets:"; grep "#preset-" "$controls" | sed 's/^\(> \)*/  /'
expect_control DelayTime 0.277778
expect_control HighCut 0.600000
expect_control DryWet 0.450000
echo "jalv lists the factory presets, and choosing \"Tape Echo\" sets its parameters and its echo"
