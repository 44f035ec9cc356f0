#!/bin/sh
# Runs a program of the Windows cross build under Wine:
#   wine-run.sh ARCH PREFIX PROGRAM.exe [ARGS...]
# PREFIX is a Wine prefix of ARCH (win32 or win64), created on first use;
# M4K7DB_WINEPREFIX, when set, names a folder for the prefixes instead, one
# per ARCH (CI puts it in a temporary folder). Tests run in parallel, so
# creation is done once under a lock. Headless: no display,
# no debugger on a crash, no .NET or HTML engine prompts.
set -e
export WINEARCH="$1"
prefix=$2
if [ -n "${M4K7DB_WINEPREFIX:-}" ]; then prefix="$M4K7DB_WINEPREFIX/$1"; fi
shift 2
export WINEPREFIX="$prefix"
# Debian's wine starts its 32-bit loader whenever wine32 is installed, also
# for a 64-bit prefix and also where the kernel cannot run 32-bit programs:
# a 64-bit prefix takes the 64-bit loader itself.
loader=wine
if [ "$WINEARCH" = win64 ] && [ -x /usr/lib/wine/wine64 ]; then
  loader=/usr/lib/wine/wine64
  export WINELOADER="$loader"
fi
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
unset DISPLAY WAYLAND_DISPLAY

if [ ! -f "$prefix/.ready" ]; then
  mkdir -p "$(dirname "$prefix")"
  (
    flock 9
    if [ ! -f "$prefix/.ready" ]; then
      "$loader" wineboot.exe -i >"$prefix.log" 2>&1
      touch "$prefix/.ready"
    fi
  ) 9>"$prefix.lock"
fi

exec "$loader" "$@"
