#!/usr/bin/env bash
# Installs what is missing, builds the product, lays out the demo medium and
# runs its setup.exe under Wine (inside Xvfb when there is no display; set
# TARVEX_DEMO_SHOT=FILE.png to save a picture of the screen after a few seconds).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/install-deps.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target demo_medium
. scripts/session.sh
if [ -z "${DISPLAY:-}" ]; then
  echo "demo: no display, running inside Xvfb"
fi
tarvex_session_start 1024x768x24
medium="$root/build/win32/demo-medium"
echo "demo: medium in $medium"
if [ -n "${TARVEX_DEMO_SHOT:-}" ]; then
  # Unattended: a virtual desktop gives the window its frame in the picture.
  wine explorer /desktop=TarvexDemo,800x600 "$medium/setup.exe" &
  sleep "${TARVEX_DEMO_SECONDS:-4}"
  import -window root "$TARVEX_DEMO_SHOT"
  echo "demo: screen saved to $TARVEX_DEMO_SHOT"
  wineserver -k
else
  wine explorer /desktop=TarvexDemo,800x600 "$medium/setup.exe"
fi
