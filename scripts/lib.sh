# Shared by the scripts: a virtual display for programs that need one.

# Starts Xvfb on a free display unless DISPLAY already names a working one,
# exports DISPLAY, and stops it when the calling script exits.
start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return
  fi
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  QM_XVFB_PID=$!
  local number
  read -r -t 30 number <"$fifo"
  rm -f "$fifo"
  export DISPLAY=":$number"
  trap 'kill "$QM_XVFB_PID" 2>/dev/null || true' EXIT
}
