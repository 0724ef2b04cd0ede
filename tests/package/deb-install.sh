#!/usr/bin/env bash
# The Debian package installed on this machine, found where hosts look, and
# removed again, leaving the machine as it was.
#   deb-install.sh PACKAGE_FILE LV2_URI
# Needs root (dpkg); exits 77 (skipped) without it. Runs alone (RUN_SERIAL):
# while it is installed, hosts of other tests would find a second Selvane.
set -uo pipefail
deb="${1:?usage: deb-install.sh PACKAGE_FILE LV2_URI}"
uri="${2:?usage: deb-install.sh PACKAGE_FILE LV2_URI}"
[ "$(id -u)" -eq 0 ] || { echo "skipped: installing a package needs root"; exit 77; }
[ -f "$deb" ] || { echo "FAIL $deb is missing: run make package"; exit 1; }
package=$(dpkg-deb -f "$deb" Package)
if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'installed'; then
  echo "FAIL $package is already installed here: remove it (dpkg -r $package) so the test can leave the machine as it found it"
  exit 1
fi

work=$(mktemp -d)
cleanup() {
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'installed' && dpkg -P "$package" >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
ok() { echo "ok   $*"; }
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

# What the package holds, and what the machine holds there before it comes.
dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -e 's|^\./|/|' -e 's|/$||' | grep -v '^/\?$' | sort >"$work/contents"
snapshot() { while read -r path; do [ -e "$path" ] && stat -c '%n %F %a %U:%G' "$path"; done <"$work/contents"; }
snapshot >"$work/before"

dpkg -i "$deb" >"$work/install.log" 2>&1 || { cat "$work/install.log"; fail "dpkg -i refused the package"; exit 1; }
ok "installed with dpkg -i"

# Hosts look with a home of their own, so only the system folders count.
export HOME="$work/home"
mkdir -p "$HOME"
(unset LV2_PATH; lv2info "$uri") >"$work/lv2info.log" 2>&1 \
  && grep -q "/usr/lib/lv2/Selvane.lv2/" "$work/lv2info.log" && grep -Eq "Name: +Selvane" "$work/lv2info.log" \
  && ok "lv2info finds $uri in /usr/lib/lv2 by the default LV2_PATH" \
  || { cat "$work/lv2info.log"; fail "lv2info does not find $uri where the package put it"; }
if [ -x /usr/lib/ardour7/ardour-vst3-scanner ]; then
  for scan in "ardour-vst3-scanner /usr/lib/vst3/Selvane.vst3" "ardour-vst-scanner /usr/lib/vst/Selvane.so"; do
    read -r scanner file <<<"$scan"
    LD_LIBRARY_PATH=/usr/lib/ardour7 "/usr/lib/ardour7/$scanner" -f "$file" >"$work/scan.log" 2>&1 \
      && ok "Ardour's $scanner indexes $file" \
      || { cat "$work/scan.log"; fail "Ardour's $scanner refuses $file"; }
  done
else
  echo "(Ardour's scanners are not installed: the VST3 and VST files are checked only for being there)"
fi
for f in /usr/lib/vst3/Selvane.vst3/Contents/x86_64-linux/Selvane.so /usr/lib/vst/Selvane.so \
         /usr/share/vst3/presets/Orvelle/Selvane/Default.vstpreset /usr/share/doc/selvane/copyright; do
  [ -f "$f" ] && ok "$f is there" || fail "$f is missing"
done
selvane-render --help >"$work/help.log" 2>&1 && grep -q '^usage: selvane-render' "$work/help.log" \
  && ok "selvane-render --help, from the PATH" || { cat "$work/help.log"; fail "selvane-render --help"; }
zcat /usr/share/man/man1/selvane-render.1.gz | grep -qF 'list\-presets' \
  && ok "the manual page holds the renderer's options" || fail "the manual page does not hold the renderer's options"

dpkg -r "$package" >"$work/remove.log" 2>&1 || { cat "$work/remove.log"; fail "dpkg -r failed"; }
status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
case "$status" in
  ""|*not-installed*) ok "removed with dpkg -r, nothing of it left in dpkg's records" ;;
  *) fail "after dpkg -r the package is still '$status'" ;;
esac
snapshot >"$work/after"
diff "$work/before" "$work/after" && ok "every path the package held is as before it came ($(wc -l <"$work/contents") paths)" \
  || fail "paths the package held differ from before it came (above: < before, > after)"

[ $failures -eq 0 ] && echo "all checks passed"
exit $((failures > 0))
