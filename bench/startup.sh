#!/usr/bin/env bash
# Start-up of setup.exe on the demo medium under Wine + Xvfb, to its first
# page on the screen, against a program that only shows one window, all
# timed by the same launcher in the same Wine session. A second peer shows
# the same window but loads setup.exe's DLLs and manifest: the difference
# between the peers is the DLLs' share, the rest is our code's.
# usage: bench/startup.sh [BUILD_DIR] [RUNS]   (BUILD_DIR: a win32 build)
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$src/build/win32}
runs=${2:-21}
out=$build/startup-bench
mkdir -p "$out"

cmake --build "$build" --target demo_medium >/dev/null
i686-w64-mingw32-gcc -O2 -Wall -Wextra -Werror -o "$out/startup_timer.exe" "$src/bench/startup/startup_timer.c"
i686-w64-mingw32-gcc -O2 -s -mwindows -Wall -Wextra -Werror -o "$out/peer_window.exe" "$src/bench/startup/peer_window.c"
printf '#include <winresrc.h>\nCREATEPROCESS_MANIFEST_RESOURCE_ID RT_MANIFEST "%s"\n' \
    "$src/src/resources/setup.manifest" >"$out/peer_imports.rc"
i686-w64-mingw32-windres "$out/peer_imports.rc" -O coff -o "$out/peer_imports.res"
i686-w64-mingw32-gcc -O2 -s -mwindows -Wall -Wextra -Werror -DSETUP_IMPORTS -o "$out/peer_imports.exe" \
    "$src/bench/startup/peer_window.c" "$out/peer_imports.res" \
    -lcomctl32 -llz32 -lole32 -lshell32 -lversion -ladvapi32 -lwinmm

. "$src/scripts/session.sh"
tarvex_session_start
wine "$out/startup_timer.exe" "$runs" "$(winepath -w "$out/peer_window.exe")" \
    "$(winepath -w "$out/peer_imports.exe")" "$(winepath -w "$build/demo-medium/setup.exe")"
