#!/usr/bin/env bash
# CI: the 32-bit Windows DLL, cross-built with MinGW-w64, and its whole test
# suite run under Wine in a 32-bit prefix in a temporary folder, without a
# display.
#
# Wine's 32-bit half (wine32:i386) comes from the i386 side of the archive,
# which now and then cannot be installed for reasons outside the project
# (a mirror in the middle of a sync, security updates out for amd64 but not
# yet for i386). Then the DLL is still built and linked by a C caller, its
# export and import tables are checked, and one line says that the tests
# did not run; the script succeeds. Every other failure fails it.
set -euo pipefail
cd "$(dirname "$0")/.."

scratch=$(mktemp -d)
export M4K7DB_WINEPREFIX="$scratch/wine"
cleanup() {
  # The prefix's wineserver outlives the last test by a few seconds.
  if [ -d "$M4K7DB_WINEPREFIX" ]; then WINEPREFIX="$M4K7DB_WINEPREFIX" wineserver -k 2>/dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT

# shellcheck source=scripts/lib/apt.sh
source scripts/lib/apt.sh
scripts/setup --report "$scratch/not-installed" windows
not_run=""
if [ -z "$(apt_missing wine32:i386)" ]; then
  :
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

cmake --preset windows-x86 -DM4K7DB_HOST_IMAGEC="$host_imagec"

if [ -z "$not_run" ]; then
  cmake --build --preset windows-x86
  tests=()
else
  # Linking a test program runs it under Wine to list its tests, so
  # without Wine only the DLL and its C caller are built.
  cmake --build --preset windows-x86 --target m4k7db m4k7db_dll_caller
  echo "windows-x86: built the DLL and its C caller"
  # The one test that reads the DLL with objdump instead of running it.
  tests=(-R '^WindowsDll\.ExportTable$')
fi

ctest --preset windows-x86 "${tests[@]}" 2>&1 | tee "$scratch/ctest.log"
# The count for the CI log: ctest ends with "... tests failed out of N".
count=$(sed -n 's/.*tests failed out of \([0-9][0-9]*\).*/\1/p' "$scratch/ctest.log" | tail -n 1)
if [ -z "$not_run" ]; then
  echo "windows-x86: ${count:-?} tests run under Wine, all passed"
else
  echo "windows-x86: ${count:-?} test run without Wine (the export and import check), passed"
  echo "WINDOWS x86 TESTS NOT RUN: $not_run"
fi
