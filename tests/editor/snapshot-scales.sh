#!/usr/bin/env bash
# The snapshot tool's editor at 1x and at 2x: the sizes, the 1x render drawn
# from the 1x background unchanged, and the 2x render sharper than the 1x one
# enlarged: the title strip's edge energy, the mean squared step between
# neighbouring pixels (a blurred edge spreads its step, and so has less).
#   snapshot-scales.sh SNAPSHOT_TOOL RESOURCES_DIR
set -u
tool="$1"; resources="$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$tool" "$work" >/dev/null || { echo "FAIL: the snapshot tool failed"; exit 1; }
status=0
size() { identify -format '%wx%h' "$1"; }
for pair in "editor.png 620x305" "editor-outline.png 620x305" "editor-options.png 620x305" \
            "editor-2x.png 1240x610" "editor-outline-2x.png 1240x610" "editor-options-2x.png 1240x610"; do
  read -r name expected <<<"$pair"
  [ "$(size "$work/$name")" = "$expected" ] || { echo "FAIL: $name is $(size "$work/$name"), not $expected"; status=1; }
done

# the title strip's names at 1x are the 1x background's pixels
convert "$work/editor.png" -crop 200x22+10+4 +repage "$work/a.png"
convert "$resources/cassettePhoto.jpg" -crop 200x22+10+4 +repage "$work/b.png"
differ=$(compare -metric AE "$work/a.png" "$work/b.png" null: 2>&1 | sed -E 's/ .*//')
echo "1x: $differ of 4400 title-strip pixels differ from the 1x background"
[ "$differ" = 0 ] || { echo "FAIL: the 1x editor does not show the 1x background as it is"; status=1; }

detail() {
  convert "$1" -crop 400x44+20+8 +repage -colorspace Gray "$work/d.png"
  convert "$work/d.png" -roll +1+0 "$work/across.png"
  convert "$work/d.png" -roll +0+1 "$work/down.png"
  local across down
  across=$(compare -metric RMSE "$work/d.png" "$work/across.png" null: 2>&1 | sed -E 's/.*\((.*)\).*/\1/')
  down=$(compare -metric RMSE "$work/d.png" "$work/down.png" null: 2>&1 | sed -E 's/.*\((.*)\).*/\1/')
  awk -v a="$across" -v d="$down" 'BEGIN { printf "%.5f", a * a + d * d }'
}
sharp=$(detail "$work/editor-2x.png")
convert "$work/editor.png" -filter Triangle -resize 200% "$work/enlarged.png"
blurred=$(detail "$work/enlarged.png")
echo "title strip detail: 2x $sharp, 1x enlarged $blurred"
awk -v s="$sharp" -v b="$blurred" 'BEGIN { exit !(s > 2 * b) }' || { echo "FAIL: the 2x editor is not sharper than the 1x one enlarged"; status=1; }

[ $status -eq 0 ] && echo "PASS: the snapshot tool's editor is unchanged at 1x and sharp at 2x"
exit $status
