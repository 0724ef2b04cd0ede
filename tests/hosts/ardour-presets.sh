#!/usr/bin/env bash
# Ardour 7 from Debian, headless, offers the LV2 bundle's factory presets by
# their labels, and loading each sets Ardour's nine controls to the values of
# the preset's document in presets/.
#   ardour-presets.sh BUILD_DIR PRESETS_DIR
set -u
build="$1"; presets="$2"
here="$(cd "$(dirname "$0")" && pwd)"
command -v ardour7-lua >/dev/null || { echo "SKIP: Ardour 7 (ardour7-lua) is not installed"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home"
mkdir -p "$HOME/.lv2"
ln -s "$(cd "$build/Selvane_artefacts/Release/LV2/Selvane.lv2" && pwd)" "$HOME/.lv2/Selvane.lv2"
export LV2_PATH="$HOME/.lv2:/usr/lib/lv2"
fail() { echo "FAIL: $*"; exit 1; }

labels=()
for file in "$presets"/*.xml; do
  labels+=("$(sed -n '1s/^<!-- \(.*\) | .*-->$/\1/p' "$file")")
done
timeout 180 ardour7-lua "$here/ardour/load-presets.lua" "$work/presets" "${labels[@]}" >"$work/ardour.log" 2>&1
grep -q '^preset ' "$work/ardour.log" || { cat "$work/ardour.log"; fail "Ardour loaded no preset"; }

# The document's tags name the filters by what they are: LowPass is "HighCut", HighPass "LowCut".
for file in "$presets"/*.xml; do
  label=$(sed -n '1s/^<!-- \(.*\) | .*-->$/\1/p' "$file")
  shown=$(awk -v l="preset $label" '$0 == l { on = 1; next } /^preset / { on = 0 } on && /^control /' "$work/ardour.log")
  [ -n "$shown" ] || { cat "$work/ardour.log"; fail "no controls after loading \"$label\""; }
  for pair in $(sed -n '2p' "$file" | grep -o '<[A-Za-z]*>[^<]*</' | sed 's/<\([A-Za-z]*\)>\([^<]*\)<\//\1=\2/'); do
    tag=${pair%%=*}; value=${pair#*=}
    case "$tag" in LowPass) name=HighCut ;; HighPass) name=LowCut ;; *) name=$tag ;; esac
    got=$(printf '%s\n' "$shown" | awk -v n="$name" '$2 == n { print $3 }')
    awk -v a="$got" -v b="$value" 'BEGIN { d = a - b; exit !(a != "" && d < 1e-5 && d > -1e-5) }' \
      || fail "\"$label\": Ardour's $name reads '$got', the preset says $value"
  done
done
echo "Ardour loaded all ${#labels[@]} factory presets by label, each setting the nine controls it holds: ${labels[*]}"
