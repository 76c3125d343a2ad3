#!/usr/bin/env bash
# The win32 build's cross-compiling emulator: runs a Windows program under the
# project's Wine prefix (TARVEX_WINEPREFIX, see wine-env.sh), with the display
# of the prefix's Xvfb when the shell has none. The exit code is the program's.
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
. "$here/xvfb.sh"
if [ -z "${DISPLAY:-}" ]; then tarvex_xvfb_ensure || exit 1; fi
exec wine "$@"
