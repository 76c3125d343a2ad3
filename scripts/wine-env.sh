# Sourced by the scripts: the Wine prefix every build and test uses.
export WINEPREFIX="${TARVEX_WINEPREFIX:-$HOME/.cache/tarvex/wine32}"
export WINEARCH=win32
export WINEDEBUG=-all
# The 64-bit prefix, where setup.exe runs under WoW64 (tests switch to it).
export TARVEX_WINE64_PREFIX="${TARVEX_WINEPREFIX64:-$HOME/.cache/tarvex/wine64}"
export WINEDLLOVERRIDES="mscoree,mshtml=,winemenubuilder.exe=d"
