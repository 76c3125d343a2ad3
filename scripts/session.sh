# Sourced by the scripts: a display (the prefix's Xvfb when there is none,
# see xvfb.sh) and a persistent wineserver for the whole run, both ended on
# exit if this run started them. Wine's own background processes start here,
# with their output going nowhere, so they never hold a test's output pipe
# open.
here_session=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here_session/wine-env.sh"
. "$here_session/xvfb.sh"

tarvex_session_end() {
  wineserver -k >/dev/null 2>&1 || true
  tarvex_xvfb_end
}

tarvex_session_start() {
  if [ -z "${DISPLAY:-}" ]; then tarvex_xvfb_ensure "${1:-1024x768x24}"; fi
  trap tarvex_session_end EXIT
  # A server still up from a program run without a display (winepath, the
  # tool) keeps a desktop no window can be made on: start afresh.
  wineserver -k >/dev/null 2>&1 </dev/null || true
  wineserver -w >/dev/null 2>&1 </dev/null || true
  wineserver -p >/dev/null 2>&1 </dev/null || true
  wine cmd /c exit >/dev/null 2>&1 </dev/null || true
}
