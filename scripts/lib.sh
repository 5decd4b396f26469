# Shared by the scripts: a virtual display for programs that need one.

# Starts an Xvfb of its own on a free display and prints its name (":N").
# The server is stopped when the calling script exits.
QM_XVFB_PIDS=()
new_display() {
  local fifo number
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  QM_XVFB_PIDS+=($!)
  read -r -t 30 number <"$fifo"
  rm -f "$fifo"
  trap 'kill "${QM_XVFB_PIDS[@]}" 2>/dev/null || true' EXIT
  NEW_DISPLAY=":$number"
}

# Starts Xvfb on a free display unless DISPLAY already names a working one,
# and exports DISPLAY.
start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return
  fi
  new_display
  export DISPLAY="$NEW_DISPLAY"
}

# For the benchmarks: process trees and stamped output.

# The process and every process below it, one id a line.
tree_pids() {
  echo "$1"
  local child
  for child in $(pgrep -P "$1" || true); do tree_pids "$child"; done
}

# Ends the process and the processes below it, by their ids.
stop_tree() {
  local pids
  pids=$(tree_pids "$1")
  # shellcheck disable=SC2086
  kill $pids 2>/dev/null || true
  wait "$1" 2>/dev/null || true
  sleep 0.3
  # shellcheck disable=SC2086
  kill -9 $pids 2>/dev/null || true
}

# Every line of the input, prefixed with the time it arrived (seconds).
stamp_lines() {
  local line
  while IFS= read -r line; do printf '%s %s\n' "$EPOCHREALTIME" "$line"; done
}
