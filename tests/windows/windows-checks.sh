#!/usr/bin/env bash
# The Windows library's checks, on what `make windows` built.
#   windows-checks.sh static BUILD_DIR CHECK_SCRIPT ARGS...   the i686 DLL, read with pefile
#   windows-checks.sh wine BUILD_DIR                          the x86_64 DLL in our host under wine64
#   windows-checks.sh wine32 BUILD_DIR                        the i686 DLL, as it ships, in our host under 32-bit Wine
# Exits 77 (skipped) where this machine cannot cross-build at all; a machine
# that can but has no built library fails.
set -uo pipefail
mode="${1:?usage: windows-checks.sh static|wine BUILD_DIR ...}"
dir="${2:?usage: windows-checks.sh static|wine BUILD_DIR ...}"
shift 2
[ -d "$dir" ] && dir="$(cd "$dir" && pwd)"

skip() { echo "skipped: $*"; exit 77; }

case "$mode" in
  static)
    command -v i686-w64-mingw32-g++-posix >/dev/null || skip "no i686 MinGW cross compiler (scripts/setup.sh installs g++-mingw-w64-i686-posix)"
    /usr/bin/python3 -c "import pefile" 2>/dev/null || skip "python3-pefile is missing"
    dll="$dir/i686/Selvane.dll"
    [ -f "$dll" ] || { echo "FAIL $dll is missing: run make windows"; exit 1; }
    file "$dll" 2>/dev/null || true
    exec /usr/bin/python3 "$1" "$dll" "${@:2}"
    ;;
  wine|wine32)
    if [ "$mode" = wine ]; then
      arch=x86_64; wine=/usr/lib/wine/wine64; export WINEARCH=win64
    else
      arch=i686; wine=/usr/lib/wine/wine; export WINEARCH=win32
    fi
    command -v "$arch-w64-mingw32-g++-posix" >/dev/null || skip "no $arch MinGW cross compiler"
    [ -x "$wine" ] || skip "$wine is missing (scripts/setup.sh installs wine64, and wine32 from Debian's i386 architecture)"
    dll="$dir/$arch/Selvane.dll"
    host="$dir/$arch/selvane-portable-vst-host.exe"
    for f in "$dll" "$host"; do
      [ -f "$f" ] || { echo "FAIL $f is missing: run make windows"; exit 1; }
    done
    export WINEPREFIX="$dir/wine-prefix-$arch" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    mkdir -p "$WINEPREFIX"
    # A crash would start Wine's debugger, which waits: without it the host
    # just ends, and the check fails.
    "$wine" reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f >/dev/null 2>&1 || true
    # The session that ran reg has no X display: end it, so the host's starts on Xvfb's.
    "$(dirname "$wine")/wineserver" -k 2>/dev/null; "$(dirname "$wine")/wineserver" -w 2>/dev/null || true
    # JUCE opens a hidden message window: give Wine an X server of its own.
    here="$(cd "$(dirname "$0")/../.." && pwd)"
    expected=$(awk -v b="windows-$arch" '$1 == b { print $2 }' "$here/tests/windows/output-hashes.txt")
    timeout 150 "$here/scripts/with-xvfb.sh" "$wine" "$host" "$dll" $expected
    status=$?
    "$(dirname "$wine")/wineserver" -k 2>/dev/null || true
    exit $status
    ;;
  *)
    echo "windows-checks.sh: unknown mode '$mode'" >&2
    exit 2
    ;;
esac
