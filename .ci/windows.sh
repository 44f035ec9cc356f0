#!/usr/bin/env bash
# CI: the 64-bit and 32-bit Windows DLLs, cross-built with MinGW-w64, and
# their whole test suites run under Wine in 64-bit and 32-bit prefixes in a
# temporary folder, without a display.
#
# Wine's 32-bit half (wine32:i386) comes from the i386 side of the archive,
# which now and then cannot be installed for reasons outside the project
# (a mirror in the middle of a sync, security updates out for amd64 but not
# yet for i386), and runs only where the kernel runs 32-bit programs. Where
# either fails, the 32-bit DLL is still built and linked by a C
# caller, its export, import and version tables are checked, and one line
# says that its tests did not run; the script succeeds. Every other failure
# fails it.
set -euo pipefail
cd "$(dirname "$0")/.."

scratch=$(mktemp -d)
export M4K7DB_WINEPREFIX="$scratch/wine"
cleanup() {
  # Each prefix's wineserver outlives the last test by a few seconds.
  for prefix in "$M4K7DB_WINEPREFIX"/win32 "$M4K7DB_WINEPREFIX"/win64; do
    if [ -d "$prefix" ]; then WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true; fi
  done
  rm -rf "$scratch"
}
trap cleanup EXIT

# shellcheck source=scripts/lib/apt.sh
source scripts/lib/apt.sh
# .ci/run installs every group first and hands over its report, so that an
# optional package that failed there is not tried (and waited for) again.
if [ -n "${M4K7DB_SETUP_REPORT:-}" ]; then
  cp "$M4K7DB_SETUP_REPORT" "$scratch/not-installed"
else
  scripts/setup --report "$scratch/not-installed" windows
fi
not_run=""
if [ -z "$(apt_missing wine32:i386)" ]; then
  # Installed is not enough: a kernel without 32-bit support cannot start
  # its loader ("Exec format error").
  if ! loader_says=$(/usr/lib/wine/wine --version 2>&1); then
    not_run="wine32:i386 is installed, but this machine cannot run its 32-bit loader: ${loader_says##*: }"
  fi
elif reason=$(sed -n 's/^wine32:i386\t//p' "$scratch/not-installed" 2>/dev/null) && [ -n "$reason" ]; then
  not_run="wine32:i386 cannot be installed: $reason"
else
  not_run="wine32:i386 is not installed"
fi

# The image compiler runs on this machine. When the Linux build is there
# (.ci/run builds it first, with whichever generator), its compiler is
# brought up to date and used; otherwise the cross build makes its own host
# build of it.
host_imagec=""
if [ -f build/default/CMakeCache.txt ]; then
  cmake --build build/default --target m4k7-imagec
  host_imagec="$PWD/build/default/tools/imagec/m4k7-imagec"
fi

# The 64-bit DLL and its whole suite, under 64-bit Wine, which needs no
# 32-bit packages: Windows is tested even when wine32 cannot be installed.
cmake --preset windows-x64 -DM4K7DB_HOST_IMAGEC="$host_imagec"
cmake --build --preset windows-x64
ctest --preset windows-x64 2>&1 | tee "$scratch/ctest-x64.log"
count=$(sed -n 's/.*tests failed out of \([0-9][0-9]*\).*/\1/p' "$scratch/ctest-x64.log" | tail -n 1)
echo "windows-x64: ${count:-?} tests run under Wine (64-bit), all passed"

cmake --preset windows-x86 -DM4K7DB_HOST_IMAGEC="$host_imagec"
if [ -z "$not_run" ]; then
  cmake --build --preset windows-x86
  tests=()
else
  # Linking a test program runs it under Wine to list its tests, so
  # without Wine only the DLL, its C caller and the answers corpus (a plain
  # program, listed by nothing) are built; none of them runs.
  cmake --build --preset windows-x86 --target m4k7db m4k7db_dll_caller answers_corpus
  echo "windows-x86: built the DLL, its C caller and the answers corpus program (not run)"
  # The tests that read the DLL with objdump or as bytes instead of running it.
  tests=(-R '^WindowsDll\.(ExportTable|VersionResource)$')
fi

ctest --preset windows-x86 "${tests[@]}" 2>&1 | tee "$scratch/ctest.log"
# The count for the CI log: ctest ends with "... tests failed out of N".
count=$(sed -n 's/.*tests failed out of \([0-9][0-9]*\).*/\1/p' "$scratch/ctest.log" | tail -n 1)
if [ -z "$not_run" ]; then
  echo "windows-x86: ${count:-?} tests run under Wine, all passed"
else
  echo "windows-x86: ${count:-?} tests run without Wine (export, import and version checks), passed"
  echo "WINDOWS x86 TESTS NOT RUN: $not_run"
fi

# One ZIP for a driver package: both DLLs with their import libraries,
# the header and the licence.
zip="$scratch/m4k7db-windows.zip"
cmake -DX86=build/windows-x86 -DX64=build/windows-x64 -DOUT="$zip" -P packaging/windows_zip.cmake
listing=$(cmake -E tar tf "$zip")
for file in include/m4k7db.h LICENSE x86/bin/m4k7db.dll x86/lib/libm4k7db.dll.a x64/bin/m4k7db.dll \
  x64/lib/libm4k7db.dll.a; do
  if ! grep -q "/$file\$" <<<"$listing"; then
    echo "the Windows ZIP lacks $file" >&2
    exit 1
  fi
done
echo "windows ZIP: the x86 and x64 DLLs with their import libraries, the header and the licence"
