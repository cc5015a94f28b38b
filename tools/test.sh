#!/usr/bin/env bash
# The whole test suite: native unit tests, the same under AddressSanitizer and
# UBSan, a 30-second smoke run of each fuzz target (clang, libFuzzer), the
# 32-bit build with its static checks, and the 64-bit build's tests under
# wine64 (Xvfb for the windows).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
for preset in native native-asan fuzz win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
ctest --preset native
ctest --preset native-asan
ctest --preset fuzz
ctest --preset win32
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --preset win64
