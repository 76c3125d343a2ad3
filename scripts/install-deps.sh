#!/usr/bin/env bash
# Installs every Debian package the builds and tests need, and makes the Wine
# prefix the tests use. Safe to run again: it only does what is missing.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=scripts/wine-env.sh
. "$here/scripts/wine-env.sh"

packages=(
  cmake ninja-build g++ clang libclang-rt-dev libgtest-dev
  mingw-w64 g++-mingw-w64-i686 binutils-mingw-w64-i686
  wine wine32:i386 wine64
  xvfb xauth x11-utils xdotool imagemagick fonts-liberation
  mscompress libmspack-dev liblnk-utils
  osslsigncode openssl
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
  need_update=1
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
elif [ "${need_update:-0}" = 1 ]; then
  "${sudo_cmd[@]}" apt-get update -qq
fi

# The test prefixes: no Mono/Gecko prompts, no crash dialogs, no delay when
# windows close without a window manager. The 32-bit one runs every Wine
# test; the 64-bit one the installs that check WoW64's redirection.
make_prefix() { # prefix, arch
  local prefix=$1 arch=$2
  [ -f "$prefix/.tarvex-ready" ] && return
  echo "install-deps: creating Wine prefix $prefix ($arch)"
  rm -rf "$prefix"
  mkdir -p "$(dirname "$prefix")"
  (
    export WINEPREFIX=$prefix WINEARCH=$arch
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w || true
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wine reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f >/dev/null 2>&1 || true
    wineserver -w || true
  )
  touch "$prefix/.tarvex-ready"
}
make_prefix "$WINEPREFIX" win32
make_prefix "$TARVEX_WINE64_PREFIX" win64
