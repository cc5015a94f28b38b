#!/usr/bin/env bash
# Runs a Windows program under Wine in the build's private prefix, with a
# German locale (ANSI code page 1252) and a time limit.
#   WINEPREFIX   the prefix (default: <build>/wineprefix, found from this call's working directory)
#   VX_WINE_BIN  folder of the wine to use (the 32-bit build's WoW64 Wine); default: the
#                build's own setting, else the wine on the PATH (Debian's, for the 64-bit build)
#   VX_TIMEOUT   seconds before the program is killed (default 240)
set -u
dir=$PWD
while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
if [ -z "${WINEPREFIX:-}" ]; then
  export WINEPREFIX="$dir/wineprefix"
fi
if [ -z "${VX_WINE_BIN+set}" ] && [ -f "$dir/CMakeCache.txt" ]; then
  VX_WINE_BIN=$(sed -n 's/^VX_WINE_BIN:INTERNAL=//p' "$dir/CMakeCache.txt")
fi
if [ -n "${VX_WINE_BIN:-}" ]; then
  export PATH="$VX_WINE_BIN:$PATH"
fi
export WINEDEBUG=-all LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8
exec timeout -k 5 "${VX_TIMEOUT:-240}" wine "$@"
