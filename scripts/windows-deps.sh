#!/usr/bin/env bash
# Builds libpng and libjpeg (static) for MinGW-w64 from Debian's own source
# packages, so the Windows plug-in decodes its pictures with the same code as
# the Linux one. Debian ships neither for MinGW; zlib comes from libz-mingw-w64-dev.
#   windows-deps.sh ARCH PREFIX     ARCH: i686 or x86_64
# Idempotent: a PREFIX that already holds both libraries is left as it is.
set -euo pipefail
arch="${1:?usage: windows-deps.sh i686|x86_64 PREFIX}"
prefix="${2:?usage: windows-deps.sh i686|x86_64 PREFIX}"
here="$(cd "$(dirname "$0")/.." && pwd)"
jobs="${JOBS:-$(nproc)}"

if [ -f "$prefix/lib/libpng16.a" ] && [ -f "$prefix/lib/libjpeg.a" ] && [ -f "$prefix/include/jpegint.h" ] \
   && grep -q "always: JUCE" "$prefix/include/jconfig.h"; then
  exit 0
fi
mkdir -p "$prefix"
prefix="$(cd "$prefix" && pwd)"
work="$prefix/../sources"
mkdir -p "$work"
work="$(cd "$work" && pwd)"

# A private apt configuration with deb-src entries derived from this
# machine's own sources (its mirror, its suites, its keys), leaving out the
# security suite, whose source index does not serve these packages here.
apt_dir="$work/apt"
mkdir -p "$apt_dir/lists/partial" "$apt_dir/sources.list.d" "$apt_dir/cache"
if [ ! -f "$apt_dir/sources.list.d/src.sources" ]; then
  [ -f /etc/apt/sources.list.d/debian.sources ] || { echo "windows-deps.sh: /etc/apt/sources.list.d/debian.sources is missing" >&2; exit 2; }
  awk 'BEGIN { RS = ""; FS = "\n" }
       {
         if ($0 ~ /Suites:[^\n]*security/) next
         for (i = 1; i <= NF; i++) {
           line = $i
           if (line ~ /^#/) continue
           if (line ~ /^Types:/) line = "Types: deb-src"
           print line
         }
         print ""
       }' /etc/apt/sources.list.d/debian.sources > "$apt_dir/sources.list.d/src.sources"
fi
apt_options=(-o Dir::Etc::SourceParts="$apt_dir/sources.list.d" -o Dir::Etc::SourceList=/dev/null
             -o Dir::State::Lists="$apt_dir/lists" -o Dir::Cache="$apt_dir/cache")

cd "$work"
if ! ls -d libpng1.6-*/ libjpeg-turbo-*/ >/dev/null 2>&1; then
  apt-get "${apt_options[@]}" update -qq
  apt-get "${apt_options[@]}" source libpng1.6 libjpeg-turbo >"$work/apt-source.log" 2>&1 \
    || { cat "$work/apt-source.log" >&2; echo "windows-deps.sh: apt-get source failed" >&2; exit 1; }
fi
png_src="$(ls -d "$work"/libpng1.6-*/ | head -1)"
jpeg_src="$(ls -d "$work"/libjpeg-turbo-*/ | head -1)"
[ -n "$png_src" ] && [ -n "$jpeg_src" ] || { echo "windows-deps.sh: could not fetch the libpng1.6 and libjpeg-turbo sources" >&2; exit 1; }

toolchain=(-DCMAKE_TOOLCHAIN_FILE="$here/host/windows/mingw.cmake" -DSELVANE_WINDOWS_ARCH="$arch"
           -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -G Ninja)

cmake -S "$png_src" -B "$work/build-png-$arch" "${toolchain[@]}" \
  -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF -DPNG_HARDWARE_OPTIMIZATIONS=OFF >/dev/null
cmake --build "$work/build-png-$arch" -j "$jobs" >/dev/null
cmake --install "$work/build-png-$arch" >/dev/null

cmake -S "$jpeg_src" -B "$work/build-jpeg-$arch" "${toolchain[@]}" \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=OFF -DWITH_JPEG8=OFF -Wno-dev >/dev/null
cmake --build "$work/build-jpeg-$arch" -j "$jobs" >/dev/null
cmake --install "$work/build-jpeg-$arch" >/dev/null
# Debian's libjpeg-dev ships the private header too, and JUCE's loader reads it.
cp "$jpeg_src/jpegint.h" "$prefix/include/"
# JUCE includes jpeglib.h inside a namespace of its own, after the Windows
# headers: the Windows jconfig.h then skips its "boolean" (the same unsigned
# char as rpcndr.h's), and the namespace lacks it. Declare it always.
sed -i 's|^#ifndef __RPCNDR_H__ .*$|#if 1  /* always: JUCE includes this inside a namespace of its own */|' "$prefix/include/jconfig.h"
grep -q "always: JUCE" "$prefix/include/jconfig.h" || { echo "windows-deps.sh: jconfig.h is not as expected" >&2; exit 1; }

echo "windows-deps.sh: libpng $(basename "$png_src") and libjpeg $(basename "$jpeg_src") for $arch in $prefix"
