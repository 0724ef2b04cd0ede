#!/usr/bin/env bash
# Installs the built VST 2.x, VST3 and LV2 plug-ins.
#   install-plugins.sh BUILD_DIR            into the per-user folders ~/.vst, ~/.vst3, ~/.lv2
#   install-plugins.sh BUILD_DIR PREFIX     into PREFIX/lib/vst, PREFIX/lib/vst3, PREFIX/lib/lv2
set -euo pipefail

build="${1:?usage: install-plugins.sh BUILD_DIR [PREFIX]}"
prefix="${2:-}"
artefacts="$build/Selvane_artefacts/Release"

if [ -n "$prefix" ]; then
  vst="$prefix/lib/vst"; vst3="$prefix/lib/vst3"; lv2="$prefix/lib/lv2"
else
  vst="$HOME/.vst"; vst3="$HOME/.vst3"; lv2="$HOME/.lv2"
fi

for built in "$artefacts/VST/Selvane.so" "$artefacts/VST3/Selvane.vst3" "$artefacts/LV2/Selvane.lv2"; do
  [ -e "$built" ] || { echo "install-plugins: $built is missing: build first (make)" >&2; exit 1; }
done

install -d "$vst" "$vst3" "$lv2"
install -m 755 "$artefacts/VST/Selvane.so" "$vst/Selvane.so"
rm -rf "$vst3/Selvane.vst3" "$lv2/Selvane.lv2"
cp -R "$artefacts/VST3/Selvane.vst3" "$vst3/"
cp -R "$artefacts/LV2/Selvane.lv2" "$lv2/"
echo "installed: $vst/Selvane.so, $vst3/Selvane.vst3, $lv2/Selvane.lv2"
