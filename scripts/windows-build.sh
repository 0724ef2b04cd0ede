#!/usr/bin/env bash
# Cross-builds the Windows VST 2.x library with MinGW-w64:
#   build-windows/i686/Selvane.dll     the 32-bit plug-in
#   build-windows/x86_64/Selvane.dll   the same code for 64-bit Windows (tested under wine64)
#   build-windows/ARCH/selvane-portable-vst-host.exe   the small host the tests load it with
#   windows-build.sh [ARCH...]         (default: i686 x86_64)
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="${JOBS:-$(nproc)}"
arches=("$@")
[ ${#arches[@]} -gt 0 ] || arches=(i686 x86_64)

for arch in "${arches[@]}"; do
  case "$arch" in i686|x86_64) ;; *) echo "windows-build.sh: unknown architecture '$arch' (i686 or x86_64)" >&2; exit 2 ;; esac
  if ! command -v "$arch-w64-mingw32-g++-posix" >/dev/null; then
    echo "windows-build.sh: $arch-w64-mingw32-g++-posix is missing (scripts/setup.sh installs it)" >&2
    exit 2
  fi
  dir="build-windows/$arch"
  JOBS="$jobs" bash scripts/windows-deps.sh "$arch" "build-windows/deps/$arch"
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$PWD/host/windows/mingw.cmake" -DSELVANE_WINDOWS_ARCH="$arch" \
      -DSELVANE_WINDOWS_DEPS_PREFIX="$PWD/build-windows/deps/$arch" >/dev/null
  fi
  cmake --build "$dir" -j "$jobs" --target Selvane_VST selvane-portable-vst-host
  cp "$dir/Selvane_artefacts/Release/VST/Selvane.dll" "$dir/Selvane.dll"
  echo "windows-build.sh: $dir/Selvane.dll"
done
