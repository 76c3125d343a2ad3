#!/usr/bin/env bash
# tarvex pack and tarvex check from the command line: a packed medium passes
# the check and (natively) installs; a damaged one fails it, in both output
# forms; usage errors exit 2.
# usage: pack_contract.sh PLATFORM BUILD_DIR SOURCE_DIR
# Presets: native native-asan win32
set -u
platform=$1 build=$2 src=$3
. "$src/tests/scripts/lib/tool.sh"

mkdir -p "$tmp/tree/help"
head -c 30000 /dev/zero | tr '\0' 'p' > "$tmp/tree/product.exe"
printf 'uninstaller' > "$tmp/tree/ridsetup.exe"
printf 'Help text\r\n' > "$tmp/tree/help/index.txt"
printf 'setup' > "$tmp/setup.exe"

tool pack "$(w "$tmp/tree")" "$(w "$tmp/medium")" --title "Packed Product" --setup "$(w "$tmp/setup.exe")" \
    "${root_args[@]}" >"$tmp/out" 2>"$tmp/err"
test $? -eq 0 || failed "pack exit code: $(cat "$tmp/out" "$tmp/err")"
grep -q '^check: no problems found' "$tmp/out" || failed "pack's check: $(cat "$tmp/out")"
test -f "$tmp/medium/product.ex_" || failed "product.exe is not compressed on the medium"

tool check "$(w "$tmp/medium")" "${root_args[@]}" >"$tmp/out" 2>/dev/null
test $? -eq 0 || failed "check exit code on the packed medium: $(cat "$tmp/out")"

if [ "$platform" != win32 ]; then
    tool install "$tmp/medium" --root "$tmp/root" >/dev/null 2>"$tmp/err" || failed "install: $(cat "$tmp/err")"
    product="$tmp/root/drive_c/Program Files/Packed Product"
    cmp -s "$product/product.exe" "$tmp/tree/product.exe" || failed "installed product.exe differs"
    cmp -s "$product/help/index.txt" "$tmp/tree/help/index.txt" || failed "installed help/index.txt differs"
    grep -q 'Packed Product.LNK' "$product/Install.log" || failed "no shortcut in Install.log"
fi

# The demo product's medium (laid out from stand-in programs where this
# build has none) passes the check.
demo=$build/demo-medium
if [ ! -f "$demo/Setup.INI" ] && command -v mscompress >/dev/null; then
    printf 'demo program' > "$tmp/demo.exe"
    printf 'uninstaller' > "$tmp/ridsetup-demo.exe"
    demo=$tmp/demo-medium
    "$src/scripts/make-medium.sh" "$demo" "$tmp/demo.exe" "$tmp/ridsetup-demo.exe" "$tmp/setup.exe" >/dev/null
fi
if [ -f "$demo/Setup.INI" ]; then
    tool check "$(w "$demo")" "${root_args[@]}" >"$tmp/out" 2>/dev/null
    test $? -eq 0 || failed "the demo medium: $(cat "$tmp/out")"
fi

# A damaged medium: exit 1, problems by line, and the same in JSON.
sed -i 's/^2=/5=/' "$tmp/medium/Setup.INI"
rm "$tmp/medium/readme.txt"
tool check "$(w "$tmp/medium")" "${root_args[@]}" >"$tmp/out" 2>/dev/null
test $? -eq 1 || failed "check exit code on a damaged medium"
grep -q '^Setup.INI:[0-9]*: error: \[FILES\] 5: never read' "$tmp/out" || failed "gap not reported: $(cat "$tmp/out")"
grep -q '^Setup.INI:4: error: \[GENERAL\] ReadMe: ' "$tmp/out" || failed "missing text not reported: $(cat "$tmp/out")"
tool check "$(w "$tmp/medium")" --json "${root_args[@]}" >"$tmp/json" 2>/dev/null
python3 - "$tmp/json" <<'PY' || failed "JSON report: $(cat "$tmp/json")"
import json, sys
report = json.load(open(sys.argv[1]))
assert report["errors"] >= 2 and report["errors"] == sum(p["severity"] == "error" for p in report["problems"])
codes = {(p["code"], p["section"], p["key"]) for p in report["problems"]}
assert ("list-gap", "FILES", "5") in codes and ("text-missing", "GENERAL", "ReadMe") in codes
assert all(isinstance(p["line"], int) or p["line"] is None for p in report["problems"])
PY

# Usage errors and a medium folder in use.
tool pack "$(w "$tmp/tree")" >/dev/null 2>&1; test $? -eq 2 || failed "pack without a medium: exit code"
tool pack "$(w "$tmp/tree")" "$(w "$tmp/other")" >/dev/null 2>&1; test $? -eq 2 || failed "pack without a title: exit code"
tool check >/dev/null 2>&1; test $? -eq 2 || failed "check without a medium: exit code"
tool pack "$(w "$tmp/tree")" "$(w "$tmp/medium")" --title X "${root_args[@]}" >/dev/null 2>"$tmp/err"
test $? -eq 1 || failed "pack into a used folder: exit code"
grep -q '^error: the medium folder is not empty' "$tmp/err" || failed "pack into a used folder: $(cat "$tmp/err")"
exit $fail
