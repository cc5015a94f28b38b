#!/usr/bin/env bash
# Installs what is missing, builds both libraries and both setup packages
# (dist/Vellox-<version>-win32-setup.msi and -win64-setup.msi) into dist/
# and runs the demo under wine64: Vellox.DLL registered with regsvr32 in the build's private
# prefix, loaded by the substitute Outlook, two contacts copied by its button.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
for preset in win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
export WINEPREFIX="$PWD/build/win64/wineprefix"
# Every Wine process of the run under one display (the first one fixes it).
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  tools/wine-prefix.sh "$WINEPREFIX"
  cmake/wine-run.sh regsvr32 /s dist/win64/Vellox.DLL
  cmake/wine-run.sh build/win64/tests/demo/vellox_demo.exe
  status=$?
  cmake/wine-run.sh regsvr32 /u /s dist/win64/Vellox.DLL
  tools/wine-prefix.sh "$WINEPREFIX" stop
  exit $status'
