#!/usr/bin/env bash
# Installs the built VST 2.x, VST3 and LV2 plug-ins and the factory presets'
# files (the LV2 bundle carries its own).
#   install-plugins.sh BUILD_DIR            into the per-user folders ~/.vst, ~/.vst3, ~/.lv2,
#                                           presets in ~/.vst3/presets/Orvelle/Selvane and ~/.vst/Selvane Presets
#   install-plugins.sh BUILD_DIR PREFIX     into PREFIX/lib/vst, PREFIX/lib/vst3, PREFIX/lib/lv2,
#                                           presets in PREFIX/share/vst3/presets/Orvelle/Selvane and PREFIX/lib/vst/Selvane Presets
set -euo pipefail

build="${1:?usage: install-plugins.sh BUILD_DIR [PREFIX]}"
prefix="${2:-}"
artefacts="$build/Selvane_artefacts/Release"

if [ -n "$prefix" ]; then
  vst="$prefix/lib/vst"; vst3="$prefix/lib/vst3"; lv2="$prefix/lib/lv2"
  vst3_presets="$prefix/share/vst3/presets/Orvelle/Selvane"
else
  vst="$HOME/.vst"; vst3="$HOME/.vst3"; lv2="$HOME/.lv2"
  vst3_presets="$HOME/.vst3/presets/Orvelle/Selvane"
fi
vst_presets="$vst/Selvane Presets"

for built in "$artefacts/VST/Selvane.so" "$artefacts/VST3/Selvane.vst3" "$artefacts/LV2/Selvane.lv2" "$build/presets/vst3" "$build/presets/vst"; do
  [ -e "$built" ] || { echo "install-plugins: $built is missing: build first (make)" >&2; exit 1; }
done

install -d "$vst" "$vst3" "$lv2"
install -m 755 "$artefacts/VST/Selvane.so" "$vst/Selvane.so"
rm -rf "$vst3/Selvane.vst3" "$lv2/Selvane.lv2"
cp -R "$artefacts/VST3/Selvane.vst3" "$vst3/"
cp -R "$artefacts/LV2/Selvane.lv2" "$lv2/"
rm -rf "$vst3_presets" "$vst_presets"
install -d "$vst3_presets" "$vst_presets"
cp "$build/presets/vst3/"*.vstpreset "$vst3_presets/"
cp "$build/presets/vst/"*.fxp "$vst_presets/"
echo "installed: $vst/Selvane.so, $vst3/Selvane.vst3, $lv2/Selvane.lv2"
echo "presets: $vst3_presets, $vst_presets"
