#!/usr/bin/env bash
# Installs what is missing, builds both libraries and both setup packages
# (dist/Vellox-<version>-win32-setup.msi, …-win64-setup.msi) into dist/ and
# runs the demo: Vellox.DLL registered with regsvr32 in the build's private
# Wine prefix, loaded by the substitute Outlook, two contacts copied by its
# button. It uses the 32-bit build (the product) when the WoW64 Wine is there
# (tools/test.sh, or tools/wow64-wine.sh, builds it once), else the 64-bit
# build under wine64.
#
#   tools/demo.sh                 the substitute Outlook plays Outlook 2000
#   tools/demo.sh --outlook 16    ... that version (9 to 16): from 14 on the
#                                 ribbon button of the Contacts module, from
#                                 15 on the splash after Outlook's start
set -euo pipefail
cd "$(dirname "$0")/.."
DEMO_ARGS=()
if [ $# -gt 0 ]; then
  if [ $# -ne 2 ] || [ "$1" != --outlook ] || ! [[ "$2" =~ ^(9|10|11|12|14|15|16)$ ]]; then
    echo "usage: tools/demo.sh [--outlook 9|10|11|12|14|15|16]" >&2
    exit 2
  fi
  DEMO_ARGS=(--outlook "$2")
fi
export DEMO_ARGS_TEXT="${DEMO_ARGS[*]:-}"
tools/deps.sh
for preset in win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
if wine_dir=$(tools/wow64-wine.sh --where 2>/dev/null); then
  build=win32
  export VX_WINE_BIN="$wine_dir/bin"
  echo "Demo with the 32-bit Vellox.DLL (dist/win32) under the WoW64 Wine in $wine_dir"
else
  build=win64
  export VX_WINE_BIN=
  echo "Demo with the 64-bit Vellox.DLL (dist/win64) under wine64."
  echo "For the 32-bit one (the product), build the WoW64 Wine first: tools/wow64-wine.sh (about 50 minutes, once)."
fi
export WINEPREFIX="$PWD/build/$build/wineprefix" DEMO_BUILD=$build
# Every Wine process of the run under one display (the first one fixes it).
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  tools/wine-prefix.sh "$WINEPREFIX"
  cmake/wine-run.sh regsvr32 /s "dist/$DEMO_BUILD/Vellox.DLL"
  cmake/wine-run.sh "build/$DEMO_BUILD/tests/demo/vellox_demo.exe" $DEMO_ARGS_TEXT
  status=$?
  cmake/wine-run.sh regsvr32 /u /s "dist/$DEMO_BUILD/Vellox.DLL"
  tools/wine-prefix.sh "$WINEPREFIX" stop
  exit $status'
