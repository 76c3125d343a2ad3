#!/usr/bin/env bash
# Runs a Windows test program under the project's Wine prefix; the exit code
# is the program's own.
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
exec wine "$@"
