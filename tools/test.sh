#!/usr/bin/env bash
# The whole test suite: native unit tests, the same under AddressSanitizer and
# UBSan, a 30-second smoke run of each fuzz target (clang, libFuzzer), and
# both Windows builds with their static checks and every Windows-side test:
# the 32-bit build (the product) under a WoW64 Wine built from Debian's source
# by tools/wow64-wine.sh (about 50 minutes the first time, then cached), the
# 64-bit build under wine64. Xvfb for the windows.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
tools/wow64-wine.sh >/dev/null
for preset in native native-asan fuzz win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
# The 32-bit stage never passes silently without its Wine.
if ! grep -q '^VX_WINE_BIN:INTERNAL=.' build/win32/CMakeCache.txt; then
  echo "test.sh: the 32-bit build found no WoW64 Wine (tools/wow64-wine.sh); its tests cannot run" >&2
  exit 1
fi
ctest --preset native
ctest --preset native-asan
ctest --preset fuzz
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --preset win32
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --preset win64
