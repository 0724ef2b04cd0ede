#!/usr/bin/env bash
# Cross-builds the Windows plug-ins with MinGW-w64:
#   build-windows/i686/Selvane.dll     the VST 2.x library for 32-bit hosts
#   build-windows/x86_64/Selvane.dll   the VST 2.x library for 64-bit hosts
#   build-windows/Selvane.vst3         the VST3 bundle: Contents/x86_64-win/Selvane.vst3
#                                      and Contents/x86-win/Selvane.vst3
#   build-windows/ARCH/selvane-portable-vst-host.exe, selvane-portable-vst3-host.exe
#                                      the small hosts the tests load them with
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
  cmake --build "$dir" -j "$jobs" --target Selvane_VST Selvane_VST3 selvane-portable-vst-host selvane-portable-vst3-host
  cp "$dir/Selvane_artefacts/Release/VST/Selvane.dll" "$dir/Selvane.dll"
  echo "windows-build.sh: $dir/Selvane.dll"
  # Both architectures' VST3 modules share one bundle, each in the folder VST3 hosts look in.
  case "$arch" in i686) folder=x86-win ;; x86_64) folder=x86_64-win ;; esac
  mkdir -p "build-windows/Selvane.vst3/Contents/$folder"
  cp "$dir/Selvane_artefacts/Release/VST3/Selvane.vst3/Contents/$folder/Selvane.vst3" \
     "build-windows/Selvane.vst3/Contents/$folder/Selvane.vst3"
  echo "windows-build.sh: build-windows/Selvane.vst3/Contents/$folder/Selvane.vst3"
done
