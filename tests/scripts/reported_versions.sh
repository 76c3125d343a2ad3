#!/usr/bin/env bash
# The end-to-end suite with Wine reporting Windows 98, XP and 10, one after
# the other in the same prefix, which gets its version back at the end.
# usage: reported_versions.sh PLATFORM BUILD_DIR SOURCE_DIR
# Presets: win32
set -uo pipefail
platform=$1 build=$2 src=$3
. "$src/scripts/session.sh"
[ -n "${DISPLAY:-}" ] || tarvex_session_start
before=$(winecfg -v 2>/dev/null | tr -d '\r')
[ -n "$before" ] || { echo "FAILED: winecfg -v reports no version"; exit 1; }
restore() { winecfg -v "$before"; tarvex_session_end; }
trap restore EXIT

declare -A shown=([win98]="4.10" [winxp]="5.1" [win10]="10.0")
fail=0
for version in win98 winxp win10; do
  winecfg -v "$version"
  # The version took: cmd's ver line carries its number.
  if ! wine cmd /c ver 2>/dev/null | tr -d '\r' | grep -q "Windows ${shown[$version]}\."; then
    echo "FAILED: Wine does not report $version"; fail=1; continue
  fi
  echo "== $version"
  if ! wine "$build/tests/tarvex_e2e.exe" "$(winepath -w "$build/setup.exe")" "$(winepath -w "$build/demo-medium")"; then
    echo "FAILED: the end-to-end suite as $version"; fail=1
  fi
done
exit $fail
