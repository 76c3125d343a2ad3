#!/usr/bin/env bash
# The demo as one file made by `tarvex pack --bundle`, signed with a
# throw-away certificate: osslsigncode verifies it, tarvex reads its medium,
# and under Wine it installs; one payload byte changed after signing breaks
# the signature and is refused by tarvex and by setup.exe.
# usage: bundle_sign.sh PLATFORM BUILD_DIR SOURCE_DIR
# Presets: win32
set -u
platform=$1 build=$2 src=$3
. "$src/tests/scripts/lib/missing.sh"
for tool in osslsigncode openssl; do
    command -v $tool >/dev/null || missing "$tool"
done
. "$src/scripts/wine-env.sh"
. "$src/scripts/session.sh"
[ -n "${DISPLAY:-}" ] || tarvex_session_start
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail=0
failed() { echo "FAIL (line ${BASH_LINENO[0]}): $*"; fail=1; }
w() { winepath -w "$1" 2>/dev/null; }

# The demo product as installed: what pack takes.
mkdir -p "$tmp/demo-tree/docs"
cp "$build/demo.exe" "$build/ridsetup.exe" "$tmp/demo-tree/"
cp "$src/demo/files/manual.txt" "$tmp/demo-tree/docs/"
folder="Tarvex Signed $$"
wine "$build/tarvex.exe" pack "$(w "$tmp/demo-tree")" "$(w "$tmp/out")" --title "Tarvex Demo" --main demo.exe \
    --route 5 --new-directory "$folder" --new-menu "$folder" --bundle "$(w "$tmp/TarvexDemoSetup.exe")" \
    >"$tmp/log" 2>&1 || failed "pack --bundle: $(cat "$tmp/log")"

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Tarvex Test Signer" \
    -keyout "$tmp/key.pem" -out "$tmp/cert.pem" 2>/dev/null || failed "no certificate"
osslsigncode sign -certs "$tmp/cert.pem" -key "$tmp/key.pem" -n "Tarvex Demo" \
    -in "$tmp/TarvexDemoSetup.exe" -out "$tmp/Signed.exe" >"$tmp/log" 2>&1 || failed "sign: $(cat "$tmp/log")"
osslsigncode verify -CAfile "$tmp/cert.pem" -in "$tmp/Signed.exe" >"$tmp/verify" 2>&1 ||
    failed "verify of the signed bundle: $(cat "$tmp/verify")"
grep -q "Signature verification: ok" "$tmp/verify" || failed "verify: $(cat "$tmp/verify")"
wine "$build/tarvex.exe" unbundle --list "$(w "$tmp/Signed.exe")" >"$tmp/list" 2>&1 ||
    failed "the signed bundle's medium: $(cat "$tmp/list")"
grep -q 'Setup.INI' "$tmp/list" || failed "the list: $(cat "$tmp/list")"

# One byte of the medium changed after signing (the certificate table and
# the trailer lie behind it).
cp "$tmp/Signed.exe" "$tmp/Damaged.exe"
at=$(( $(stat -c %s "$tmp/TarvexDemoSetup.exe") - 3000 ))
byte=$(od -An -tu1 -j "$at" -N1 "$tmp/Damaged.exe" | tr -d ' ')
printf "\\$(printf %03o $(( byte ^ 1 )))" | dd of="$tmp/Damaged.exe" bs=1 seek="$at" conv=notrunc status=none
if osslsigncode verify -CAfile "$tmp/cert.pem" -in "$tmp/Damaged.exe" >"$tmp/verify" 2>&1; then
    failed "osslsigncode verify accepted the damaged bundle"
fi
wine "$build/tarvex.exe" unbundle --list "$(w "$tmp/Damaged.exe")" >/dev/null 2>"$tmp/err"
grep -q "the medium inside is damaged: the payload's checksum does not match" "$tmp/err" ||
    failed "tarvex on the damaged bundle: $(cat "$tmp/err")"

TARVEX_SIGNED_BUNDLE=$(w "$tmp/Signed.exe") TARVEX_SIGNED_DAMAGED=$(w "$tmp/Damaged.exe") \
    wine "$build/tests/tarvex_e2e.exe" "$(w "$build/setup.exe")" "$(w "$build/demo-medium")" \
    --gtest_filter='BundleE2E.ASignedBundle*' >"$tmp/e2e" 2>&1 || failed "under Wine: $(tail -30 "$tmp/e2e")"
grep -q '\[  PASSED  \] 1 test' "$tmp/e2e" || failed "the signed test did not run: $(tail -5 "$tmp/e2e")"

installed=$(wine cmd /c echo %ProgramFiles% 2>/dev/null | tr -d '\r')
rm -rf "$(winepath -u "$installed\\$folder" 2>/dev/null)"
exit $fail
