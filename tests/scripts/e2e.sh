#!/usr/bin/env bash
# The real setup.exe under Wine, driven through its windows.
# usage: e2e.sh PLATFORM BUILD_DIR SOURCE_DIR
set -euo pipefail
platform=$1 build=$2 src=$3
[ "$platform" = win32 ] || exit 77
. "$src/scripts/session.sh"
[ -n "${DISPLAY:-}" ] || tarvex_session_start
shots=${TARVEX_SHOTS_DIR:-}
if [ -n "$shots" ]; then
  mkdir -p "$shots"
  export TARVEX_SHOTS=$(winepath -w "$shots" 2>/dev/null)
  export WINEDLLOVERRIDES="$WINEDLLOVERRIDES" # keep
fi
wine "$build/tests/tarvex_e2e.exe" "$(winepath -w "$build/setup.exe")" "$(winepath -w "$build/demo-medium")"
if [ -n "$shots" ]; then
  for bmp in "$shots"/*.bmp; do
    [ -e "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
  done
fi
