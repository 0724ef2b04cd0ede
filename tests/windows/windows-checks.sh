#!/usr/bin/env bash
# The Windows library's checks, on what `make windows` built.
#   windows-checks.sh static BUILD_DIR CHECK_SCRIPT ARGS...   the i686 DLL, read with pefile
#   windows-checks.sh wine BUILD_DIR                          the x86_64 DLL in our host under wine64
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
  wine)
    command -v x86_64-w64-mingw32-g++-posix >/dev/null || skip "no x86_64 MinGW cross compiler"
    wine=/usr/lib/wine/wine64
    [ -x "$wine" ] || skip "wine64 is missing"
    dll="$dir/x86_64/Selvane.dll"
    host="$dir/x86_64/selvane-portable-vst-host.exe"
    for f in "$dll" "$host"; do
      [ -f "$f" ] || { echo "FAIL $f is missing: run make windows"; exit 1; }
    done
    export WINEPREFIX="$dir/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    mkdir -p "$WINEPREFIX"
    # JUCE opens a hidden message window: give Wine an X server of its own.
    here="$(cd "$(dirname "$0")/../.." && pwd)"
    "$here/scripts/with-xvfb.sh" "$wine" "$host" "$dll"
    status=$?
    "$(dirname "$wine")/wineserver" -k 2>/dev/null || true
    exit $status
    ;;
  *)
    echo "windows-checks.sh: unknown mode '$mode'" >&2
    exit 2
    ;;
esac
