# Sourced by the scripts: one Xvfb per Wine prefix, started on first use and
# reused after, so that any program run under the prefix has a display even
# from a shell without one. Its "PID DISPLAY" is kept in the prefix.
# Needs scripts/wine-env.sh sourced first (WINEPREFIX).

# Sets DISPLAY to the prefix's Xvfb, starting it if none answers. Sets
# TARVEX_XVFB_STARTED to its pid when this call started it.
tarvex_xvfb_ensure() {
  local size=${1:-1024x768x24}
  local state="$WINEPREFIX/.tarvex-xvfb" pid display fd_file lock
  mkdir -p "$WINEPREFIX"
  exec {lock}>"$state.lock"
  flock "$lock"
  if read -r pid display 2>/dev/null <"$state" && kill -0 "$pid" 2>/dev/null &&
     xdpyinfo -display "$display" >/dev/null 2>&1; then
    export DISPLAY=$display
  else
    fd_file=$(mktemp)
    # Its own session and none of the caller's files, so that it outlives
    # the caller and holds no test's output pipe open.
    (
      for f in /proc/$BASHPID/fd/*; do
        f=${f##*/}
        if [ "$f" -gt 2 ]; then eval "exec $f>&-" 2>/dev/null; fi
      done
      exec setsid Xvfb -displayfd 3 -screen 0 "$size" -nolisten tcp 3>"$fd_file" </dev/null >/dev/null 2>&1
    ) &
    pid=$!
    for _ in $(seq 200); do [ -s "$fd_file" ] && break; sleep 0.05; done
    if [ ! -s "$fd_file" ]; then
      rm -f "$fd_file"
      flock -u "$lock"; exec {lock}>&-
      echo "xvfb: Xvfb did not start" >&2
      return 1
    fi
    export DISPLAY=":$(head -n1 "$fd_file")"
    rm -f "$fd_file"
    echo "$pid $DISPLAY" >"$state"
    TARVEX_XVFB_STARTED=$pid
  fi
  flock -u "$lock"
  exec {lock}>&-
}

# Ends the prefix's Xvfb if this shell started it.
tarvex_xvfb_end() {
  if [ -n "${TARVEX_XVFB_STARTED:-}" ]; then
    kill "$TARVEX_XVFB_STARTED" >/dev/null 2>&1 || true
    rm -f "$WINEPREFIX/.tarvex-xvfb"
    TARVEX_XVFB_STARTED=
  fi
}
