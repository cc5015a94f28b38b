#!/usr/bin/env bash
# Creates (once) and starts the private Wine prefix of a build folder:
#   tools/wine-prefix.sh <prefix> [stop]
# German locale, Wine's own fonts, message boxes that close fast (unmanaged
# windows), and a persistent wineserver whose output does not hold a pipe open.
set -eu
prefix=$1
export WINEPREFIX=$prefix WINEDEBUG=-all LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8
# VX_WINE_BIN: the folder of the wine to use (the WoW64 Wine for 32-bit code).
if [ -n "${VX_WINE_BIN:-}" ]; then export PATH="$VX_WINE_BIN:$PATH"; fi
if [ "${2:-}" = stop ]; then
  wineserver -k </dev/null >/dev/null 2>&1 || true
  exit 0
fi
if [ ! -f "$prefix/.vx-ready" ]; then
  rm -rf "$prefix"
  mkdir -p "$prefix"
  timeout 180 wineboot -i </dev/null >/dev/null 2>&1
  fonts="$(dirname "$(command -v wine)")/../share/wine/fonts"
  [ -d "$fonts" ] || fonts=/usr/share/wine/fonts
  cp "$fonts"/*.ttf "$fonts"/*.fon "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
  timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
  timeout 60 wineserver -w </dev/null >/dev/null 2>&1 || true
  touch "$prefix/.vx-ready"
fi
wineserver -p 600 </dev/null >/dev/null 2>&1 || true
timeout 60 wine cmd /c exit </dev/null >/dev/null 2>&1 || true
