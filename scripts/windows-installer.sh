#!/usr/bin/env bash
# Builds the Windows installer with NSIS from what make windows built and the
# factory presets the Linux build wrote:
#   windows-installer.sh BUILD_DIR WINDOWS_BUILD_DIR  ->  WINDOWS_BUILD_DIR/Selvane-VERSION-setup.exe
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:?usage: windows-installer.sh BUILD_DIR WINDOWS_BUILD_DIR}" && pwd)"
windows="$(cd "${2:?usage: windows-installer.sh BUILD_DIR WINDOWS_BUILD_DIR}" && pwd)"
command -v makensis >/dev/null || { echo "windows-installer: makensis is missing (make setup installs nsis)" >&2; exit 1; }
. "$build/generated/identity.sh"
for built in "$windows/$SELVANE_NAME.vst3/Contents/x86_64-win/$SELVANE_NAME.vst3" "$windows/$SELVANE_NAME.vst3/Contents/x86-win/$SELVANE_NAME.vst3" \
             "$windows/x86_64/$SELVANE_NAME.dll" "$windows/i686/$SELVANE_NAME.dll" "$build/presets/vst3"; do
  [ -e "$built" ] || { echo "windows-installer: $built is missing: run make windows and make first" >&2; exit 1; }
done

# The factory presets by name: the uninstaller removes exactly these.
presets="$windows/installer-presets.nsh"
{
  echo "; Written by scripts/windows-installer.sh from $build/presets/vst3."
  echo "!macro InstallFactoryPresets"
  for f in "$build/presets/vst3/"*.vstpreset; do echo "    File \"$f\""; done
  echo "!macroend"
  echo "!macro RemoveFactoryPresets FOLDER"
  for f in "$build/presets/vst3/"*.vstpreset; do echo "    Delete \"\${FOLDER}\\$(basename "$f")\""; done
  echo "!macroend"
} >"$presets"

out="$windows/$SELVANE_NAME-$SELVANE_VERSION-setup.exe"
makensis -V2 -NOCD \
  "-DNAME=$SELVANE_NAME" "-DMANUFACTURER=$SELVANE_MANUFACTURER" "-DVERSION=$SELVANE_VERSION" \
  "-DVERSION_MAJOR=$SELVANE_VERSION_MAJOR" "-DVERSION_MINOR=$SELVANE_VERSION_MINOR" "-DVERSION_PATCH=$SELVANE_VERSION_PATCH" \
  "-DWEBSITE=$SELVANE_WEBSITE" "-DWINDOWS_DIR=$windows" "-DPRESETS_NSH=$presets" "-DOUTFILE=$out" \
  "$here/host/windows/installer.nsi"
echo "windows-installer: $out"
