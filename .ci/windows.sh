#!/usr/bin/env bash
# CI: the 32-bit Windows DLL, cross-built with MinGW-w64, and its whole test
# suite run under Wine in a 32-bit prefix in a temporary folder, without a
# display.
set -euo pipefail
cd "$(dirname "$0")/.."

need=()
for pkg in cmake ninja-build g++ googletest g++-mingw-w64-i686 binutils-mingw-w64-i686 wine wine32:i386 wine64; do
  dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
done
if [ ${#need[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}"
fi

scratch=$(mktemp -d)
export M4K7DB_WINEPREFIX="$scratch/wine"
cleanup() {
  # The prefix's wineserver outlives the last test by a few seconds.
  if [ -d "$M4K7DB_WINEPREFIX" ]; then WINEPREFIX="$M4K7DB_WINEPREFIX" wineserver -k 2>/dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT

# The image compiler runs on this machine. When the Linux build is there
# (.ci/run builds it first), its compiler is brought up to date and used;
# otherwise the cross build makes its own host build of it.
host_imagec=""
if [ -f build/default/build.ninja ]; then
  cmake --build build/default --target m4k7-imagec
  host_imagec="$PWD/build/default/tools/imagec/m4k7-imagec"
fi

cmake --preset windows-x86 -DM4K7DB_HOST_IMAGEC="$host_imagec"
cmake --build --preset windows-x86
ctest --preset windows-x86
