#!/usr/bin/env bash
# Runs a Windows program under wine64 in the build's private prefix, with a
# German locale (ANSI code page 1252) and a time limit.
#   WINEPREFIX   the prefix (default: <build>/wineprefix, found from this call's working directory)
#   VX_TIMEOUT   seconds before the program is killed (default 240)
set -u
if [ -z "${WINEPREFIX:-}" ]; then
  dir=$PWD
  while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
  export WINEPREFIX="$dir/wineprefix"
fi
export WINEDEBUG=-all LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8
exec timeout -k 5 "${VX_TIMEOUT:-240}" wine "$@"
