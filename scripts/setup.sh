#!/usr/bin/env bash
# Installs everything the build, the tests and the benchmarks need, from Debian's packages.
# Idempotent: does nothing (and asks no registry) when every package is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache patch python3
  juce-modules-source fst-dev
  libgtest-dev libgmock-dev libbenchmark-dev valgrind
  xvfb x11-utils xdotool imagemagick fonts-roboto-unhinted xsettingsd
  jalv jackd2 ecasound sordi lv2-dev lilv-utils ardour
  clang libclang-rt-14-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix libz-mingw-w64-dev dpkg-dev wine64 python3-pefile file
  lintian help2man nsis python3-matplotlib python3-numpy
)

# The Windows library as it ships is 32-bit: 32-bit Wine comes from Debian's
# i386 architecture.
packages+=(wine32:i386)
add_i386=0
dpkg --print-foreign-architectures | grep -qx i386 || add_i386=1

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ] && [ $add_i386 -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "setup: these packages are missing and installing them needs root: ${missing[*]}" >&2
  exit 1
fi

if [ $add_i386 -eq 1 ]; then
  echo "setup: adding Debian's i386 architecture (for 32-bit Wine)" >&2
  dpkg --add-architecture i386
fi
echo "setup: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
