#!/usr/bin/env bash
# CI: the 32-bit Windows DLL, cross-built with MinGW-w64, its whole test
# suite run under Wine (32-bit prefix in the build tree, no display).
set -euo pipefail
cd "$(dirname "$0")/.."

need=()
for pkg in cmake ninja-build googletest g++-mingw-w64-i686 binutils-mingw-w64-i686 wine wine32:i386 wine64; do
  dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
done
if [ ${#need[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}"
fi

cmake --workflow --preset windows-x86
