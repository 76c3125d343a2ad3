#!/usr/bin/env bash
# setup.exe on 64-bit Windows (Wine's 64-bit prefix): the wizard's walk
# installs the demo, and the 32-bit program's files land in Program Files
# (x86), its Uninstall entry in the registry's 32-bit view (Wow6432Node),
# and its App Paths entry in the key both views share (Windows 7 and later;
# Wine does the same); then ridsetup.exe /S removes all of it again.
# usage: wow64_install.sh PLATFORM BUILD_DIR SOURCE_DIR
# Presets: win32
set -uo pipefail
platform=$1 build=$2 src=$3
. "$src/scripts/session.sh"
if [ ! -f "$TARVEX_WINE64_PREFIX/.tarvex-ready" ]; then
  echo "FAILED: no 64-bit Wine prefix at $TARVEX_WINE64_PREFIX (scripts/install-deps.sh makes it)"
  exit 1
fi
export WINEPREFIX=$TARVEX_WINE64_PREFIX WINEARCH=win64
tarvex_session_start

title="Tarvex Demo"
current='HKLM\Software\Microsoft\Windows\CurrentVersion'
wow='HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion'
drive_c="$WINEPREFIX/drive_c"
fail=0
check() { # what, command...
  local what=$1; shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; fail=1; fi
}
# A value as the 64-bit view shows it, or nothing; no name: the default.
value64() { # key, [name]
  if [ $# -gt 1 ]; then
    wine reg query "$1" /v "$2" /reg:64 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_SZ *//p"
  else
    wine reg query "$1" /ve /reg:64 2>/dev/null | tr -d '\r' | sed -n "s/^ *(Default) *REG_SZ *//p"
  fi
}
forget() {
  for view in 32 64; do
    wine reg delete "$current\\Uninstall\\$title" /f /reg:$view >/dev/null 2>&1
    wine reg delete "$current\\App Paths\\demo.exe" /f /reg:$view >/dev/null 2>&1
  done
}

product=""
install_step() {
  forget
  check "the wizard's walk installs the demo" wine "$build/tests/tarvex_e2e.exe" \
    "$(winepath -w "$build/setup.exe")" "$(winepath -w "$build/demo-medium")" \
    --gtest_filter='WizardE2E.WalksEveryPageInstallsAndRunsTheProduct'
  local uninstall
  uninstall=$(value64 "$wow\\Uninstall\\$title" UninstallString)
  check "Uninstall entry under Wow6432Node" test -n "$uninstall"
  check "  ... and not in the 64-bit view's own key" test -z "$(value64 "$current\\Uninstall\\$title" DisplayName)"
  # ridsetup.exe "C:\Program Files (x86)\<folder>\Install.log"
  product=$(sed -n 's/^ridsetup\.exe "\(.*\)\\Install\.log"$/\1/p' <<<"$uninstall")
  check "installed under C:\\Program Files (x86)" grep -q '^C:\\Program Files (x86)\\[^\\]' <<<"$product"
  local folder=${product##*\\}
  check "  ... the files are there" test -s "$drive_c/Program Files (x86)/$folder/demo.exe" \
    -a -f "$drive_c/Program Files (x86)/$folder/Install.log"
  check "  ... and not in the 64-bit Program Files" test ! -e "$drive_c/Program Files/$folder"
  check "App Paths in the key both views share" \
    test "$(value64 "$current\\App Paths\\demo.exe")" = "$product\\demo.exe"
}

# The quiet uninstall as the Uninstall entry gives it: the 32-bit
# uninstaller finds its keys in the same views the installer wrote.
uninstall_step() {
  [ -n "$product" ] || { echo "FAILED: nothing installed to remove"; fail=1; return; }
  local quiet
  quiet=$(value64 "$wow\\Uninstall\\$title" QuietUninstallString)
  check "QuietUninstallString under Wow6432Node" grep -q '^ridsetup\.exe /S "' <<<"$quiet"
  check "ridsetup.exe /S ends with 0" wine "C:\\windows\\ridsetup.exe" /S "$product\\Install.log"
  check "  ... the product folder is gone" test ! -e "$drive_c/Program Files (x86)/${product##*\\}"
  check "  ... the Uninstall entry is gone from both views" \
    test -z "$(value64 "$wow\\Uninstall\\$title" DisplayName)$(value64 "$current\\Uninstall\\$title" DisplayName)"
  check "  ... and App Paths" test -z "$(value64 "$current\\App Paths\\demo.exe")"
}

steps=(install_step uninstall_step)
for step in "${steps[@]}"; do "$step"; done

if [ -n "$product" ]; then rm -rf "$drive_c/Program Files (x86)/${product##*\\}"; fi
forget
exit $fail
