#!/usr/bin/env bash
# setup.exe /S under Wine: the demo installed without a window into a chosen
# folder gives what `tarvex install` with the same choices gives (Install.log
# byte for byte, registry values, links); too little space gives 4 and writes
# nothing; a newer file is kept unless /OVERWRITE=yes; the log says it all.
# usage: silent_install.sh PLATFORM BUILD_DIR SOURCE_DIR
# Presets: win32
set -uo pipefail
platform=$1 build=$2 src=$3
. "$src/tests/scripts/lib/missing.sh"
[ -f "$build/demo-medium/Setup.INI" ] || missing "the demo medium"
command -v lnkinfo >/dev/null || missing lnkinfo
. "$src/scripts/wine-env.sh"
tmp=$(mktemp -d)
id=Silent$$
base="C:\\$id"
host_base="$WINEPREFIX/drive_c/$id"
product="$base\\Demo"
host_product="$host_base/Demo"
title="Tarvex Demo"
keys=("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\demo.exe"
      "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$title"
      "HKCU\\Software\\$title\\Settings")
win() { winepath -w "$1" 2>/dev/null; }
host() { winepath -u "$1" 2>/dev/null; }
links() { tr -d '\r' < "$host_product/Install.log" | grep -i '\.LNK$'; }
forget() { # the installation, gone from disk and registry
  local link; while read -r link; do rm -f "$(host "$link")"; done < <(links 2>/dev/null)
  rm -rf "$host_base" "$(host "$group_dir")"
  for key in "${keys[@]}"; do wine reg delete "$key" /f >/dev/null 2>&1; done
}
# A link's content without the dates of its target, which each copy of the file has anew.
link_text() { lnkinfo "$1" | grep -viE 'time|date|lnkinfo'; }
registry() { for key in "${keys[@]}"; do wine reg query "$key" 2>/dev/null | tr -d '\r'; done; }
cleanup() { forget; rm -rf "$tmp"; }
group_dir=""
trap cleanup EXIT
fail=0
check() { if ! "$@"; then echo "FAILED (line ${BASH_LINENO[0]}): $*"; fail=1; fi; }

cp -r "$build/demo-medium" "$tmp/medium"
setup=$tmp/medium/setup.exe
log=$tmp/setup.log

# Silent, into a folder that does not exist yet, with a program group of its own.
wine "$setup" /S "/DIRECTORY=$base" /NEWDIRECTORY=Demo "/NEWMENU=$id" "/LOG=$(win "$log")"
check test $? -eq 0
check test -f "$host_product/Install.log"
group_dir=$(links | head -1); group_dir=${group_dir%\\*}
mkdir -p "$tmp/silent"
cp "$host_product/Install.log" "$host_product/demo.exe" "$tmp/silent/"
registry > "$tmp/silent/registry"
i=0; while read -r link; do link_text "$(host "$link")" > "$tmp/silent/link$((i++))"; done < <(links)
check test "$i" -eq 2
check grep -qF "ridsetup.exe \"$product\\Install.log\"" "$tmp/silent/registry"

# The log: every line stamped, the status lines, each file, the result.
stamp='[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}  '
check test "$(grep -cvE "^$stamp.*"$'\r'"\$" "$log")" -eq 0
check test "$(sed -E "s/^$stamp//" "$log" | tr -d '\r' | sed 1,2d)" = "$(printf '%s\n' 'Creating directories...' \
  'Copying Files...' 'Copying demo.exe' 'Copying ridsetup.exe' 'Copying manual.txt' 'Creating shortcuts...' \
  'Creating registry entries...' 'Saving uninstall log...' "$title has been successfully installed." 'Exit code 0')"
check grep -qE "^${stamp}Silent setup: .*setup\.exe.? /S /DIRECTORY=C:\\\\$id " "$log"
check grep -qF "Product folder $product, program group " "$log"

# The same choices through tarvex install: the same result.
forget
check test ! -e "$host_product"
wine "$build/tarvex.exe" install "$(win "$tmp/medium")" --directory "$base" --new-directory Demo --new-menu "$id" >/dev/null
check test $? -eq 0
check cmp "$tmp/silent/Install.log" "$host_product/Install.log"
check cmp "$tmp/silent/demo.exe" "$host_product/demo.exe"
check diff "$tmp/silent/registry" <(registry)
i=0; while read -r link; do check diff "$tmp/silent/link$((i++))" <(link_text "$(host "$link")"); done < <(links)

# A newer demo.exe is kept in silent mode, and replaced with /OVERWRITE=yes.
echo newer > "$host_product/demo.exe"
touch -d 2099-01-01 "$host_product/demo.exe"
wine "$setup" /s "-directory=$base" /NEWDIRECTORY=Demo "/NEWMENU=$id" "/LOG=$(win "$log")"
check test $? -eq 0
check test "$(cat "$host_product/demo.exe")" = newer
check grep -qF "Keeping the newer file $product\\demo.exe (/OVERWRITE=no)" "$log"
wine "$setup" /S "/DIRECTORY=$base" /NEWDIRECTORY=Demo "/NEWMENU=$id" /OVERWRITE=yes "/LOG=$(win "$log")"
check test $? -eq 0
check cmp "$tmp/silent/demo.exe" "$host_product/demo.exe"
check grep -qF "Replacing the newer file $product\\demo.exe (/OVERWRITE=yes)" "$log"
forget

# Too little space: 4, the wizard's words in the log, nothing written.
sed -i 's/^TotalSize=[^\r]*/TotalSize=1e30/' "$tmp/medium/Setup.INI"
wine "$setup" /S "/DIRECTORY=$base" /NEWDIRECTORY=Demo "/NEWMENU=$id" "/LOG=$(win "$log")"
check test $? -eq 4
check grep -qE "^${stamp}You do not have enough space on drive:C:\\\\; Application Size: 1E30; Free space: [0-9]+"$'\r'"\$" "$log"
check grep -qE "^${stamp}Exit code 4"$'\r'"\$" "$log"
check test ! -e "$host_base"
check test -z "$(registry | grep REG_SZ)"

# Bad switches and an unusable Setup.INI: 2.
wine "$setup" /S /OVERWRITE=ask "/LOG=$(win "$log")"
check test $? -eq 2
check grep -qE "^${stamp}Nobody to ask without a user: /OVERWRITE=ask"$'\r'"\$" "$log"
mkdir "$tmp/bare" && cp "$setup" "$tmp/bare/"
wine "$tmp/bare/setup.exe" -PASSIVE "/LOG=$(win "$log")"
check test $? -eq 2
check grep -qF "Unable to read GENERAL section of ini file: $(win "$tmp/bare")\\Setup.INI" "$log"
exit $fail
