#!/usr/bin/env bash
# The real setup.exe under Wine, driven through its windows. With
# TARVEX_SHOTS_DIR=FOLDER it also saves the pictures README.md shows; that run
# installs the demo under its own folder names, so it gets a throwaway copy of
# the prefix.
# usage: e2e.sh PLATFORM BUILD_DIR SOURCE_DIR
# Presets: win32
set -euo pipefail
build=$2 src=$3
. "$src/scripts/session.sh"
shots=${TARVEX_SHOTS_DIR:-}
if [ -n "$shots" ]; then
  shots=$(mkdir -p "$shots" && cd "$shots" && pwd)
  copy=$(mktemp -d)
  cp -a "$WINEPREFIX" "$copy/prefix"
  export WINEPREFIX=$copy/prefix
  rm -rf "$WINEPREFIX/drive_c/Program Files/Tarvex Demo" "$WINEPREFIX/.tarvex-xvfb"
fi
if [ -z "${DISPLAY:-}" ]; then tarvex_session_start; fi
if [ -n "$shots" ]; then
  trap 'tarvex_session_end; rm -rf "$copy"' EXIT
  export TARVEX_SHOTS=$(winepath -w "$shots" 2>/dev/null)
fi
wine "$build/tests/tarvex_e2e.exe" "$(winepath -w "$build/setup.exe")" "$(winepath -w "$build/demo-medium")"
if [ -n "$shots" ]; then
  for bmp in "$shots"/*.bmp; do
    [ -e "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
  done
fi
