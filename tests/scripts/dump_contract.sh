#!/usr/bin/env bash
# `tarvex dump` keeps its output contract: the same JSON from both builds
# (checked against one expected file per description), errors on stderr only.
# usage: dump_contract.sh PLATFORM BUILD_DIR SOURCE_DIR
set -uo pipefail
platform=$1 build=$2 src=$3
if [ "$platform" = win32 ]; then
  . "$src/scripts/wine-env.sh"
  run() { local args=("$@"); [ ${#args[@]} -ge 2 ] && args[1]=$(winepath -w "${args[1]}" 2>/dev/null); wine "$build/tarvex.exe" "${args[@]}"; }
else
  run() { "$build/tarvex" "$@"; }
fi
fail=0
check() { if ! "$@"; then echo "FAILED: $*"; fail=1; fi; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

for ini in "$src"/tests/data/dump/*.ini; do
  expected=${ini%.ini}.json
  run dump "$ini" >"$tmp/out" 2>"$tmp/err"
  check test $? -eq 0
  check cmp -s "$expected" "$tmp/out"
  check test ! -s "$tmp/err"
done

# A reading failure: nothing on stdout, one error line, exit 1.
printf '[GENERAL]\r\nTitle=x\r\n' >"$tmp/bad.ini"
run dump "$tmp/bad.ini" >"$tmp/out" 2>"$tmp/err"
check test $? -eq 1
check test ! -s "$tmp/out"
check grep -qx "error: Unable to read GENERAL section of ini file: .*bad.ini: missing Executable, .*, TotalSize" "$tmp/err"

# Usage errors exit 2.
run dump >"$tmp/out" 2>"$tmp/err"
check test $? -eq 2
run frobnicate x >"$tmp/out" 2>"$tmp/err"
check test $? -eq 2
check grep -q "usage" "$tmp/err"
exit $fail
