# Sourced by the scripts: the one Wine prefix every build and test uses.
export WINEPREFIX="${TARVEX_WINEPREFIX:-$HOME/.cache/tarvex/wine32}"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=,winemenubuilder.exe=d"
