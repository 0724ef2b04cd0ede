#!/usr/bin/env bash
# The Windows installer under wine64 in a fresh prefix: a silent install
# (with the 32-bit component and a VST 2.x folder of the user's), every file
# in its place and the uninstaller registered, the installed VST3 bundle in
# our VST3 host, then a silent uninstall leaving nothing but a preset the
# user saved meanwhile. A second silent install with the defaults (no 32-bit
# component, the default folder) and its uninstall leave the prefix as it was.
#   installer-checks.sh INSTALLER WINDOWS_BUILD_DIR IDENTITY_SH   (the generated build/generated/identity.sh)
set -uo pipefail
usage="usage: installer-checks.sh INSTALLER WINDOWS_BUILD_DIR IDENTITY_SH"
installer="${1:?$usage}"; windows="${2:?$usage}"; . "${3:?$usage}"
name="$SELVANE_NAME"; maker="$SELVANE_MANUFACTURER"
here="$(cd "$(dirname "$0")/../.." && pwd)"
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || { echo "skipped: $wine is missing (scripts/setup.sh installs wine64)"; exit 77; }
command -v makensis >/dev/null || { echo "skipped: makensis is missing (scripts/setup.sh installs nsis)"; exit 77; }
[ -f "$installer" ] || { echo "FAIL $installer is missing: run make windows-installer"; exit 1; }
host="$windows/x86_64/selvane-portable-vst3-host.exe"
[ -f "$host" ] || { echo "FAIL $host is missing: run make windows"; exit 1; }

work=$(mktemp -d)
# Wine links the prefix's Documents to the home folder: give it one of its own.
export HOME="$work/home" WINEPREFIX="$work/prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$HOME"
cleanup() { "$(dirname "$wine")/wineserver" -k 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
failures=0
ok() { echo "ok   $*"; }
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
# Runs a Windows program and waits for every process it started (an NSIS
# uninstaller copies itself away and returns at once).
run() { timeout 150 "$wine" "$@"; local status=$?; "$(dirname "$wine")/wineserver" -w; return $status; }
# The prefix's files outside Windows' own folder, and the home folder's
# (where Wine keeps the Documents folder), as ~/...
files() {
  { (cd "$WINEPREFIX/drive_c" && find . -path ./windows -prune -o -path './users/*/Temp' -prune -o -print)
    (cd "$HOME" && find . -path ./.cache -prune -o -print | sed 's|^\.|~|'); } | sort
}
key="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$name"

# The installer's own version resource, as Explorer shows it.
/usr/bin/python3 - "$installer" "$name" "$maker" <<'PY' && ok "the installer carries its version resource" || fail "the installer's version resource"
import sys, pefile
pe = pefile.PE(sys.argv[1])
strings = {k.decode(): v.decode() for info in pe.FileInfo[0] if info.Key == b"StringFileInfo"
           for table in info.StringTable for k, v in table.entries.items()}
print("     ", strings)
fixed = pe.VS_FIXEDFILEINFO[0]
version = "%d.%d.%d" % (fixed.FileVersionMS >> 16, fixed.FileVersionMS & 0xffff, fixed.FileVersionLS >> 16)
sys.exit(0 if pe.FILE_HEADER.Machine == pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_AMD64"]
         and strings.get("ProductName") == sys.argv[2] and strings.get("CompanyName") == sys.argv[3]
         and strings.get("FileVersion") == version else 1)
PY

run wineboot -i >/dev/null 2>&1
"$wine" reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f >/dev/null 2>&1
"$(dirname "$wine")/wineserver" -w
files >"$work/before"
c="$WINEPREFIX/drive_c"
presets="$HOME/VST3 Presets/$maker/$name"   # Documents\VST3 Presets\MAKER\NAME

run "$installer" /S /WITH32 '/D=C:\VST64' || fail "the silent install exited with $?"
for f in "Program Files/Common Files/VST3/$name.vst3/Contents/x86_64-win/$name.vst3" \
         "Program Files (x86)/Common Files/VST3/$name.vst3/Contents/x86-win/$name.vst3" \
         "VST64/$name.dll" "Program Files (x86)/VSTPlugins/$name.dll" \
         "Program Files/$maker/$name/Uninstall.exe"; do
  [ -f "$c/$f" ] && ok "C:\\$f" || fail "C:\\$f is missing"
done
cmp -s "$c/VST64/$name.dll" "$windows/x86_64/$name.dll" && cmp -s "$c/Program Files (x86)/VSTPlugins/$name.dll" "$windows/i686/$name.dll" \
  && ok "each VST 2.x library is the one built for its architecture" || fail "a VST 2.x library is not the one built for its folder"
expected=$(ls "$here/presets" | wc -l)
found=$(ls "$presets" 2>/dev/null | grep -c '\.vstpreset$')
[ "$found" -eq "$expected" ] && ok "$found factory presets in Documents\\VST3 Presets\\$maker\\$name" \
  || fail "$found presets in Documents\\VST3 Presets\\$maker\\$name, not $expected"
"$wine" reg query "$key" >"$work/key" 2>/dev/null
grep -q "DisplayName.*$name" "$work/key" && grep -q 'QuietUninstallString.*Uninstall.exe" /S' "$work/key" \
  && ok "registered in Add/Remove Programs with a quiet uninstall" || { cat "$work/key"; fail "not registered in Add/Remove Programs"; }

# The installed bundle, as a VST3 host finds it.
. "$here/tests/windows/output-hashes.sh"
run "$host" "$c/Program Files/Common Files/VST3/$name.vst3" --hash "$(recorded_hash windows-x86_64)" >"$work/host.log" 2>&1 \
  && ok "the installed bundle passes the VST3 host's checks ($(grep -c '^ok' "$work/host.log") of them)" \
  || { grep -v '^ok' "$work/host.log"; fail "the installed bundle fails the VST3 host's checks"; }

echo "saved by the user" >"$presets/My Echo.vstpreset"
run "$c/Program Files/$maker/$name/Uninstall.exe" /S || fail "the silent uninstall exited with $?"
files >"$work/after"
left=$(comm -13 "$work/before" "$work/after")
relative="~/VST3 Presets/$maker/$name"
expected_left=$(printf '%s\n' "$(dirname "$(dirname "$relative")")" "$(dirname "$relative")" "$relative" "$relative/My Echo.vstpreset" | sort)
[ "$left" = "$expected_left" ] && ok "uninstalled: only the user's preset (and its folders) is left" \
  || { echo "left: $left"; fail "the uninstall left more or less than the user's preset"; }
[ -z "$(comm -23 "$work/before" "$work/after")" ] && ok "nothing that was there before was removed" || fail "the uninstall removed files that were there before"
"$wine" reg query "$key" >/dev/null 2>&1 && fail "still registered in Add/Remove Programs" || ok "no longer registered"

rm -rf "$(dirname "$(dirname "$presets")")"
run "$installer" /S || fail "the default silent install exited with $?"
[ -f "$c/Program Files/VSTPlugins/$name.dll" ] && [ ! -e "$c/Program Files (x86)/VSTPlugins/$name.dll" ] \
  && ok "by default: the 64-bit VST 2.x library in C:\\Program Files\\VSTPlugins, no 32-bit component" \
  || fail "the default install does not put the 64-bit library alone in C:\\Program Files\\VSTPlugins"
run "$c/Program Files/$maker/$name/Uninstall.exe" /S || fail "the second silent uninstall exited with $?"
files >"$work/after"
diff "$work/before" "$work/after" && ok "after the default install and its uninstall, the prefix is as it was" \
  || fail "the default install and its uninstall changed the prefix (above)"

[ $failures -eq 0 ] && echo "all checks passed"
exit $((failures > 0))
