#!/usr/bin/env bash
# Installs what is missing, builds both libraries into dist/ and runs the demo
# under wine64.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
for preset in win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
export WINEPREFIX="$PWD/build/win64/wineprefix"
tools/wine-prefix.sh "$WINEPREFIX"
xvfb-run -a -s "-screen 0 1280x1024x24" cmake/wine-run.sh build/win64/tests/demo/vellox_demo.exe
tools/wine-prefix.sh "$WINEPREFIX" stop
