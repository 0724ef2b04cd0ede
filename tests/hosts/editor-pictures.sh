# Sourced by the scripts that look at the editor on a screen.
#   editor_shows_pictures SCREEN X0 Y0 SCALE RESOURCES_DIR WORK_DIR
# compares two areas of the editor drawn at X0,Y0 on the screenshot SCREEN
# (the maker's and product's names in the title strip, a slider's caption,
# as the background picture prints them) with the background picture for
# SCALE, 1:1; at scale 2 they must also differ from the 1x picture enlarged,
# so an editor that scaled its 1x pictures up does not pass. Sets
# picture_report to the figures; succeeds when every area matches.
editor_shows_pictures() {
  local screen="$1" x0="$2" y0="$3" scale="$4" resources="$5" work="$6"
  local picture="$resources/cassettePhoto.jpg" area ax ay aw ah w h own enlarged wrong=0
  [ "$scale" = 2 ] && picture="$resources/cassettePhoto_2x.jpg"
  picture_report=""
  for area in "10 4 200 22" "55 48 60 9"; do
    read -r ax ay aw ah <<<"$area"
    w=$((aw * scale)); h=$((ah * scale))
    own=$(_differing_pixels "$screen" $((x0 + ax * scale)) $((y0 + ay * scale)) "$w" "$h" \
          "${w}x${h}+$((ax * scale))+$((ay * scale))" "$picture" 100% "$work")
    picture_report+="at scale $scale, area $area: $own of $((w * h)) pixels differ from $(basename "$picture")"$'\n'
    [ "$own" -le $((w * h / 100)) ] || wrong=1
    if [ "$scale" = 2 ]; then
      enlarged=$(_differing_pixels "$screen" $((x0 + ax * 2)) $((y0 + ay * 2)) "$w" "$h" \
                 "${aw}x${ah}+${ax}+${ay}" "$resources/cassettePhoto.jpg" 200% "$work")
      picture_report+="at scale 2, area $area: $enlarged of $((w * h)) pixels differ from the 1x picture enlarged"$'\n'
      [ "$enlarged" -gt $((w * h / 10)) ] || wrong=1
    fi
  done
  [ $wrong -eq 0 ]
}

# Differing pixels between an area of a screenshot and an area of a picture (resized first).
_differing_pixels() {  # screen x y w h picture-crop-geometry picture resize work
  local screen="$1" x="$2" y="$3" w="$4" h="$5" crop="$6" picture="$7" resize="$8" work="$9"
  /usr/bin/convert "$screen" -crop "${w}x${h}+${x}+${y}" +repage "$work/area-screen.png"
  /usr/bin/convert "$picture" -crop "$crop" +repage -resize "$resize" "$work/area-picture.png"
  /usr/bin/compare -metric AE -fuzz 3% "$work/area-screen.png" "$work/area-picture.png" null: 2>&1 | sed -E 's/ .*//'
}
