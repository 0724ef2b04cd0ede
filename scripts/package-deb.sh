#!/usr/bin/env bash
# Builds the Debian package from what the build made: a staged tree under
# BUILD_DIR/deb-root, written as BUILD_DIR/PACKAGE_VERSION-REVISION_amd64.deb.
#   package-deb.sh BUILD_DIR
#     /usr/lib/lv2/Selvane.lv2          the LV2 bundle (with its presets)
#     /usr/lib/vst3/Selvane.vst3        the VST3 bundle
#     /usr/lib/vst/Selvane.so           the VST 2.x library (Ardour's default VST path)
#     /usr/share/vst3/presets/Orvelle/Selvane/*.vstpreset   the factory bank where VST3 hosts look
#     /usr/share/selvane/presets/*.fxp  the same bank as VST 2.x preset files
#     /usr/bin/selvane-render           with its manual page (from its --help)
#     /usr/share/doc/selvane/           README, copyright, changelog
# Depends is computed by dpkg-shlibdeps, with the X11 libraries the editor
# opens at run time (JUCE loads them with dlopen, so no linker sees them).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:?usage: package-deb.sh BUILD_DIR}" && pwd)"
artefacts="$build/Selvane_artefacts/Release"
. "$build/generated/identity.sh"
version="$SELVANE_VERSION-$SELVANE_PACKAGE_REVISION"
deb="$build/${SELVANE_PACKAGE}_${version}_amd64.deb"

for tool in dpkg-deb dpkg-shlibdeps help2man strip; do
  command -v "$tool" >/dev/null || { echo "package-deb: $tool is missing (make setup installs it)" >&2; exit 1; }
done
for built in "$artefacts/VST/Selvane.so" "$artefacts/VST3/Selvane.vst3" "$artefacts/LV2/Selvane.lv2" \
             "$build/tools/selvane-render" "$build/presets/vst3" "$build/presets/vst"; do
  [ -e "$built" ] || { echo "package-deb: $built is missing: build first (make)" >&2; exit 1; }
done

# Dates inside the package are the last commit's, so the same tree gives the same package.
export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git -C "$here" log -1 --format=%ct 2>/dev/null || date +%s)}"

root="$build/deb-root"
rm -rf "$root"
doc="$root/usr/share/doc/$SELVANE_PACKAGE"
install -d "$root/DEBIAN" "$root/usr/lib/lv2" "$root/usr/lib/vst3" "$root/usr/lib/vst" "$root/usr/bin" \
           "$root/usr/share/vst3/presets/$SELVANE_MANUFACTURER/$SELVANE_NAME" "$root/usr/share/$SELVANE_PACKAGE/presets" \
           "$root/usr/share/man/man1" "$doc"
cp -R "$artefacts/LV2/Selvane.lv2" "$root/usr/lib/lv2/"
cp -R "$artefacts/VST3/Selvane.vst3" "$root/usr/lib/vst3/"
install -m 644 "$artefacts/VST/Selvane.so" "$root/usr/lib/vst/Selvane.so"
install -m 755 "$build/tools/selvane-render" "$root/usr/bin/selvane-render"
install -m 644 "$build/presets/vst3/"*.vstpreset "$root/usr/share/vst3/presets/$SELVANE_MANUFACTURER/$SELVANE_NAME/"
install -m 644 "$build/presets/vst/"*.fxp "$root/usr/share/$SELVANE_PACKAGE/presets/"
# Plug-ins are loaded, not run: shared objects are 644, like Debian's own.
find "$root/usr/lib" -type f -exec chmod 644 {} +
find "$root" -type d -exec chmod 755 {} +
# Debian ships binaries without their symbol tables and build notes.
find "$root/usr/lib" "$root/usr/bin" -type f \( -name '*.so' -o -name selvane-render \) \
  -exec strip --strip-unneeded --remove-section=.comment --remove-section=.note {} +

help2man --no-info --no-discard-stderr --version-string="$SELVANE_VERSION" \
  --name "run audio through the $SELVANE_NAME echo" --source "$SELVANE_MANUFACTURER" \
  "$build/tools/selvane-render" | gzip -9n >"$root/usr/share/man/man1/selvane-render.1.gz"
install -m 644 "$here/README.md" "$doc/README.md"
install -m 644 "$here/host/debian/copyright" "$doc/copyright"
{
  echo "$SELVANE_PACKAGE ($version) unstable; urgency=medium"
  echo
  echo "  * Release $SELVANE_VERSION."
  echo
  echo " -- $SELVANE_MAINTAINER  $(date -u -R -d "@$SOURCE_DATE_EPOCH")"
} | gzip -9n >"$doc/changelog.Debian.gz"
chmod 644 "$doc"/* "$root/usr/share/man/man1/selvane-render.1.gz"

# dpkg-shlibdeps reads the package's name from a debian/control of a source tree.
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/debian"
printf 'Source: %s\n\nPackage: %s\nArchitecture: amd64\n' "$SELVANE_PACKAGE" "$SELVANE_PACKAGE" >"$work/debian/control"
mapfile -t objects < <(find "$root/usr" -type f \( -name '*.so' -o -name selvane-render \))
shlibs=$(cd "$work" && dpkg-shlibdeps -O "${objects[@]}" 2>/dev/null | sed -n 's/^shlibs:Depends=//p')
[ -n "$shlibs" ] || { echo "package-deb: dpkg-shlibdeps found no dependencies" >&2; exit 1; }
depends="$shlibs, libx11-6, libxext6, libxrandr2, libxcursor1, libxinerama1, libxrender1"

size=$(du -sk --exclude=DEBIAN "$root" | cut -f1)
sed -e "s|@SELVANE_PACKAGE@|$SELVANE_PACKAGE|" -e "s|@VERSION@|$version|" -e "s|@SELVANE_MAINTAINER@|$SELVANE_MAINTAINER|" \
    -e "s|@INSTALLED_SIZE@|$size|" -e "s|@DEPENDS@|$depends|" -e "s|@SELVANE_WEBSITE@|$SELVANE_WEBSITE|" \
    "$here/host/debian/control.in" >"$root/DEBIAN/control"
(cd "$root" && find usr -type f -print0 | sort -z | xargs -0 md5sum) >"$root/DEBIAN/md5sums"
chmod 644 "$root/DEBIAN/control" "$root/DEBIAN/md5sums"
find "$root" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

dpkg-deb --root-owner-group -Zxz --build "$root" "$deb" >/dev/null
echo "package-deb: $deb"
