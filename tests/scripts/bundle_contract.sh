#!/usr/bin/env bash
# tarvex bundle, pack --bundle and unbundle from the command line: a medium
# comes back byte for byte with its dates, a damaged bundle or medium is
# refused with nothing written, usage errors exit 2.
# usage: bundle_contract.sh PLATFORM BUILD_DIR SOURCE_DIR
# Presets: native native-asan win32
set -u
platform=$1 build=$2 src=$3
. "$src/tests/scripts/lib/tool.sh"
setup=$build/setup.exe
# Any program stands in natively.
[ "$platform" = win32 ] || setup=$src/fuzz/corpus/pe_version/no-version.dll

mkdir -p "$tmp/tree/help"
head -c 300000 /dev/urandom > "$tmp/tree/product.exe"
printf 'uninstaller' > "$tmp/tree/ridsetup.exe"
printf 'Help text\r\n' > "$tmp/tree/help/index.txt"
touch -d '2001-02-03 04:05:06' "$tmp/tree/help/index.txt"

tool pack "$(w "$tmp/tree")" "$(w "$tmp/medium")" --title "Bundled Product" --setup "$(w "$setup")" \
    --bundle "$(w "$tmp/One Setup.exe")" "${root_args[@]}" >"$tmp/out" 2>"$tmp/err"
test $? -eq 0 || failed "pack --bundle: $(cat "$tmp/out" "$tmp/err")"
grep -q "One Setup.exe: setup.exe [0-9]* bytes + 6 files in [0-9]* bytes + [0-9]* bytes of trailer" "$tmp/out" ||
    failed "pack --bundle output: $(cat "$tmp/out")"

tool unbundle --list "$(w "$tmp/One Setup.exe")" >"$tmp/out" 2>"$tmp/err"
test $? -eq 0 || failed "unbundle --list: $(cat "$tmp/err")"
grep -qE '^ +11  help\\index.txt$' "$tmp/out" || failed "the list: $(cat "$tmp/out")"

tool unbundle "$(w "$tmp/One Setup.exe")" "$(w "$tmp/back")" >"$tmp/out" 2>"$tmp/err"
test $? -eq 0 || failed "unbundle: $(cat "$tmp/err")"
diff -r "$tmp/medium" "$tmp/back" >/dev/null || failed "the medium does not come back: $(diff -rq "$tmp/medium" "$tmp/back")"
# Dates to the 100 ns a Windows file time holds.
dates() { (cd "$1" && find . -type f ! -iname setup.exe -printf '%p %T@\n' | sed -E 's/([0-9]{7})[0-9]*$/\1/' | sort); }
dates "$tmp/medium" > "$tmp/dates.medium"
dates "$tmp/back" > "$tmp/dates.back"
diff "$tmp/dates.medium" "$tmp/dates.back" >/dev/null || failed "dates differ: $(diff "$tmp/dates.medium" "$tmp/dates.back")"

# Bundled again from the medium, with bundle itself: the same bytes.
tool bundle "$(w "$tmp/medium")" "$(w "$tmp/again.exe")" "${root_args[@]}" >/dev/null 2>"$tmp/err" ||
    failed "bundle: $(cat "$tmp/err")"
cmp -s "$tmp/again.exe" "$tmp/One Setup.exe" || failed "bundle and pack --bundle differ"

# Damaged copies: exit 1, the reason, nothing written.
size=$(stat -c %s "$tmp/again.exe")
cp "$tmp/again.exe" "$tmp/flipped.exe"
printf '\x55' | dd of="$tmp/flipped.exe" bs=1 seek=$((size - 1000)) conv=notrunc status=none
head -c $((size - 5000)) "$tmp/again.exe" > "$tmp/cut.exe"
for case in "flipped.exe:the payload's checksum does not match" "cut.exe:the file is cut short"; do
    file=${case%%:*} why=${case#*:}
    tool unbundle "$(w "$tmp/$file")" "$(w "$tmp/out-$file")" >/dev/null 2>"$tmp/err"
    test $? -eq 1 || failed "$file: exit code"
    grep -qF "error: $(w "$tmp/$file"): the medium inside is damaged: $why" "$tmp/err" || failed "$file: $(cat "$tmp/err")"
    test ! -e "$tmp/out-$file" || failed "$file: something was written"
    tool unbundle --list "$(w "$tmp/$file")" >/dev/null 2>&1
    test $? -eq 1 || failed "$file: --list accepted it"
done
tool unbundle --list "$(w "$setup")" >/dev/null 2>"$tmp/err"
grep -qF "carries no medium" "$tmp/err" || failed "a plain program: $(cat "$tmp/err")"

# A medium with errors is not bundled.
cp -r "$tmp/medium" "$tmp/bad"
sed -i 's/^Route=.*/Route=9/' "$tmp/bad/Setup.INI"
tool bundle "$(w "$tmp/bad")" "$(w "$tmp/bad.exe")" "${root_args[@]}" >"$tmp/out" 2>"$tmp/err"
test $? -eq 1 || failed "a bad medium: exit code"
grep -qF "the medium fails its check; nothing was written to" "$tmp/err" || failed "a bad medium: $(cat "$tmp/err")"
test ! -e "$tmp/bad.exe" || failed "a bad medium was bundled"

for args in "bundle" "bundle $tmp/medium" "bundle a b c" "bundle a b --setup" "bundle a b --frob x" \
            "unbundle" "unbundle a" "unbundle --list" "unbundle --list a b" "unbundle a b c"; do
    # shellcheck disable=SC2086
    tool $args >/dev/null 2>&1
    test $? -eq 2 || failed "'tarvex $args' is no usage error"
done
exit $fail
