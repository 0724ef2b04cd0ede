#!/usr/bin/env bash
# The LV2 bundle's Turtle parses, and lv2_validate finds nothing beyond the
# handful of known quirks in what JUCE 7.0.5's manifest generator writes.
set -u
bundle="$1"
status=0

for ttl in "$bundle"/*.ttl; do
  if ! sordi "file://$(realpath "$ttl")" >/dev/null 2>/tmp/sordi.$$; then
    echo "FAIL: $ttl does not parse:"; cat /tmp/sordi.$$; status=1
  fi
done
rm -f /tmp/sordi.$$

# Known, harmless generator quirks: doap properties on the plug-in, the UI's
# noUserResize and options interface, and the preset's program property.
known='doap#maintainer|doap#release|ui#noUserResize|options#interface|selvane:Program'
report=$(lv2_validate "$bundle"/*.ttl 2>&1)
unexpected=$(printf '%s\n' "$report" | awk -v known="$known" '
  /^error:|^warning:/ { if (block != "" && block !~ known) print block; block = $0; next }
  block != ""          { block = block "\n" $0 }
  END                  { if (block != "" && block !~ known && block !~ /^Found/) print block }' | grep -v '^Found' || true)
if [ -n "$unexpected" ]; then
  echo "FAIL: lv2_validate reports:"; printf '%s\n' "$unexpected"; status=1
fi

grep -q '<https://www.orvelle.example/plugins/selvane>' "$bundle/manifest.ttl" || { echo "FAIL: plug-in URI missing from manifest"; status=1; }
for p in DelayTime DelayFeedback Mode Balance PingPong HighCut LowCut DryWet Gain; do
  grep -q "^plug:$p\$" "$bundle/dsp.ttl" || { echo "FAIL: parameter $p missing from dsp.ttl"; status=1; }
done

exit $status
