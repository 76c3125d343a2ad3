# Sourced by the scripts: one X server (Xvfb when there is no display) and a
# persistent wineserver for the whole run, both ended on exit. Wine's own
# background processes start here, with their output going nowhere, so they
# never hold a test's output pipe open.
here_session=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here_session/wine-env.sh"

tarvex_session_end() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "${TARVEX_XVFB_PID:-}" ]; then kill "$TARVEX_XVFB_PID" >/dev/null 2>&1 || true; fi
}

tarvex_session_start() {
  local size=${1:-1024x768x24}
  if [ -z "${DISPLAY:-}" ]; then
    local fd_file
    fd_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 "$size" -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
    TARVEX_XVFB_PID=$!
    for _ in $(seq 100); do [ -s "$fd_file" ] && break; sleep 0.05; done
    export DISPLAY=":$(head -n1 "$fd_file")"
    rm -f "$fd_file"
  fi
  trap tarvex_session_end EXIT
  wineserver -p >/dev/null 2>&1 </dev/null || true
  wine cmd /c exit >/dev/null 2>&1 </dev/null || true
}
