#!/usr/bin/env bash
# The Windows plug-ins' checks, on what `make windows` built.
#   windows-checks.sh static BUILD_DIR CHECK_SCRIPT COMPANY NAME VERSION_SHORT MAJOR MINOR PATCH
#       every Windows binary read with pefile: machine, exports, imports, version resource
#   windows-checks.sh vst2 ARCH BUILD_DIR
#       the VST 2.x library for ARCH (x86_64 or i686) in our VST 2.x host, under wine64 or 32-bit Wine
#   windows-checks.sh vst3 ARCH BUILD_DIR LINUX_VST3_HOST LINUX_BUNDLE RESOURCES_DIR SHOTS_DIR
#       the VST3 bundle's ARCH module in our VST3 host under Wine, its answers and
#       state compared with the Linux bundle's in the same host, its editor's
#       pixels with the pictures
# Exits 77 (skipped) where this machine cannot cross-build at all; a machine
# that can but has no built binary fails.
set -uo pipefail
usage="usage: windows-checks.sh static BUILD_DIR ... | vst2 ARCH BUILD_DIR | vst3 ARCH BUILD_DIR LINUX_HOST LINUX_BUNDLE RESOURCES SHOTS"
mode="${1:?$usage}"
here="$(cd "$(dirname "$0")/../.." && pwd)"

skip() { echo "skipped: $*"; exit 77; }
need() { for f in "$@"; do [ -e "$f" ] || { echo "FAIL $f is missing: run make windows"; exit 1; }; done; }
absolute() { [ -d "$1" ] && (cd "$1" && pwd) || echo "$1"; }

. "$here/tests/windows/output-hashes.sh"

# Wine for ARCH in a prefix of its own under BUILD_DIR, on a private X server.
#   run_in_wine ARCH BUILD_DIR PROGRAM ARGS...
run_in_wine() {
  local arch="$1" dir="$2"; shift 2
  local wine
  if [ "$arch" = x86_64 ]; then wine=/usr/lib/wine/wine64; export WINEARCH=win64
  else wine=/usr/lib/wine/wine; export WINEARCH=win32; fi
  export WINEPREFIX="$dir/wine-prefix-$arch" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  mkdir -p "$WINEPREFIX"
  # A crash would start Wine's debugger, which waits: without it the host
  # just ends, and the check fails.
  "$wine" reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f >/dev/null 2>&1 || true
  # The session that ran reg has no X display: end it, so the host's starts on Xvfb's.
  "$(dirname "$wine")/wineserver" -k 2>/dev/null; "$(dirname "$wine")/wineserver" -w 2>/dev/null || true
  # JUCE opens a hidden message window: give Wine an X server of its own.
  timeout 150 "$here/scripts/with-xvfb.sh" "$wine" "$@"
  local status=$?
  "$(dirname "$wine")/wineserver" -k 2>/dev/null || true
  return $status
}

wine_arch() {
  local arch="$1" wine
  case "$arch" in
    x86_64) wine=/usr/lib/wine/wine64 ;;
    i686) wine=/usr/lib/wine/wine ;;
    *) echo "windows-checks.sh: unknown architecture '$arch' (x86_64 or i686)" >&2; exit 2 ;;
  esac
  command -v "$arch-w64-mingw32-g++-posix" >/dev/null || skip "no $arch MinGW cross compiler"
  [ -x "$wine" ] || skip "$wine is missing (scripts/setup.sh installs wine64, and wine32 from Debian's i386 architecture)"
  # Some kernels are built without 32-bit emulation: their exec refuses i386 programs.
  "$wine" --version >/dev/null 2>&1
  [ $? -ne 126 ] || skip "this machine's kernel does not run 32-bit programs ($wine: exec format error)"
}

case "$mode" in
  static)
    dir="$(absolute "${2:?$usage}")"; script="${3:?$usage}"; shift 3
    command -v i686-w64-mingw32-g++-posix >/dev/null || skip "no MinGW cross compiler (scripts/setup.sh installs g++-mingw-w64-i686-posix)"
    /usr/bin/python3 -c "import pefile" 2>/dev/null || skip "python3-pefile is missing"
    need "$dir/i686/Selvane.dll" "$dir/x86_64/Selvane.dll" \
         "$dir/Selvane.vst3/Contents/x86-win/Selvane.vst3" "$dir/Selvane.vst3/Contents/x86_64-win/Selvane.vst3"
    status=0
    for binary in "i686 vst2 $dir/i686/Selvane.dll" "x86_64 vst2 $dir/x86_64/Selvane.dll" \
                  "i686 vst3 $dir/Selvane.vst3/Contents/x86-win/Selvane.vst3" \
                  "x86_64 vst3 $dir/Selvane.vst3/Contents/x86_64-win/Selvane.vst3"; do
      read -r arch kind file <<<"$binary"
      echo "== $file"
      /usr/bin/python3 "$script" "$file" "$arch" "$kind" "$@" || status=1
    done
    exit $status
    ;;
  vst2)
    arch="${2:?$usage}"; dir="$(absolute "${3:?$usage}")"
    wine_arch "$arch"
    need "$dir/$arch/Selvane.dll" "$dir/$arch/selvane-portable-vst-host.exe"
    run_in_wine "$arch" "$dir" "$dir/$arch/selvane-portable-vst-host.exe" "$dir/$arch/Selvane.dll" "$(recorded_hash "windows-$arch")"
    ;;
  vst3)
    arch="${2:?$usage}"; dir="$(absolute "${3:?$usage}")"; linux_host="${4:?$usage}"; linux_bundle="${5:?$usage}"
    resources="${6:?$usage}"; shots="${7:?$usage}"
    wine_arch "$arch"
    need "$dir/Selvane.vst3" "$dir/$arch/selvane-portable-vst3-host.exe" "$linux_host" "$linux_bundle"
    . "$here/tests/hosts/editor-pictures.sh"
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    mkdir -p "$shots"
    failures=0
    fail() { echo "FAIL $*"; failures=$((failures + 1)); }

    echo "== the Linux bundle in the Linux build of the host"
    "$linux_host" "$linux_bundle" --transcript "$work/linux.txt" --save-state "$work/linux.state" >"$work/linux.log" 2>&1 \
      || { cat "$work/linux.log"; fail "the Linux bundle fails its checks"; }
    echo "== the bundle's $arch module under Wine, loading the state the Linux bundle saved"
    run_in_wine "$arch" "$dir" "$dir/$arch/selvane-portable-vst3-host.exe" "$dir/Selvane.vst3" \
      --hash "$(recorded_hash "windows-$arch")" --transcript "$work/windows.txt" \
      --load-state "$work/linux.state" --save-state "$work/windows.state" --shots "$work" \
      || fail "the Windows module fails its checks"
    echo "== the state saved on Windows, loaded by the Linux bundle"
    "$linux_host" "$linux_bundle" --load-state "$work/windows.state" >"$work/linux-loads.log" 2>&1 \
      || { cat "$work/linux-loads.log"; fail "the Linux bundle does not take the state saved on Windows"; }

    if diff "$work/linux.txt" "$work/windows.txt"; then
      echo "ok   the same answers as on Linux: class IDs, names, layouts, echo, $(grep -c '^parameter' "$work/linux.txt") parameters and their texts"
    else
      fail "the answers differ from Linux (above: < Linux, > Windows)"
    fi
    cmp -s "$work/linux.state" "$work/windows.state" && echo "ok   the state saved on Windows is the state saved on Linux, byte for byte" \
      || fail "the states saved on Linux and on Windows differ"

    for scale in 1 2; do
      picture="$work/editor-scale$scale.ppm"
      [ -f "$picture" ] || { fail "no picture of the editor at scale $scale"; continue; }
      /usr/bin/convert "$picture" "$shots/editor-vst3-windows-$arch-scale$scale.png"
      if editor_shows_pictures "$shots/editor-vst3-windows-$arch-scale$scale.png" 0 0 "$scale" "$resources" "$work"; then
        printf '%s' "$picture_report" | sed 's/^/ok   /'
      else
        printf '%s' "$picture_report"
        fail "at scale $scale the editor does not show its pictures 1:1 ($shots/editor-vst3-windows-$arch-scale$scale.png)"
      fi
    done
    [ $failures -eq 0 ] && echo "all checks passed"
    exit $((failures > 0))
    ;;
  *)
    echo "windows-checks.sh: unknown mode '$mode'" >&2
    exit 2
    ;;
esac
