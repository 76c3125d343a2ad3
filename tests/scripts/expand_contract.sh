#!/usr/bin/env bash
# tarvex expand: exit codes and the error line, in either build.
# usage: expand_contract.sh PLATFORM BUILD_DIR SOURCE_DIR
# Presets: native native-asan win32
set -u
platform=$1 build=$2 src=$3
if [ "$platform" = win32 ]; then
    . "$src/scripts/wine-env.sh"
    run() { # expand PATH... with the paths as Windows sees them
        local args=("$1") p
        shift
        for p in "$@"; do args+=("$(winepath -w "$p" 2>/dev/null)"); done
        wine "$build/tarvex.exe" "${args[@]}"
    }
else
    run() { "$build/tarvex" "$@"; }
fi
data=$build/test-data/lz
[ -f "$data/text_" ] || { echo "FAILED: no generated test data in $data"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
check() { # WHAT EXPECTED ACTUAL
    if [ "$2" != "$3" ]; then echo "FAIL: $1: expected [$2], got [$3]"; fail=1; fi
}

run expand "$data/text_" "$work/text" 2>"$work/err"
check "exit code on success" 0 $?
cmp -s "$work/text" "$data/text" || { echo "FAIL: expanded text differs"; fail=1; }
check "nothing on stderr" "" "$(cat "$work/err")"

printf 'SZDD\x88\xf0\x27\x33A\x00\x09\x00\x00\x00\xffabc' > "$work/short_"
run expand "$work/short_" "$work/out" 2>"$work/err"
check "exit code on damaged input" 1 $?
grep -q '^error: .*compressed data ends before its declared length' "$work/err" || { echo "FAIL: error line: $(cat "$work/err")"; fail=1; }

run expand "$work/missing_" "$work/out" 2>"$work/err"
check "exit code on a missing file" 1 $?
grep -q '^error: .*File not found' "$work/err" || { echo "FAIL: error line: $(cat "$work/err")"; fail=1; }

run expand "$data/text_" 2>/dev/null
check "exit code on usage error" 2 $?
exit $fail
