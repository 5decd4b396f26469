#!/usr/bin/env bash
# The frame with the game, measured in one run of this script:
#   - time: from the login's caught game URL (the launcher's "game URL
#     caught" line) to the game page shown in the frame (the game process's
#     "game page shown" line, written once its first document has completed),
#     stamped the same way as the lines arrive;
#   - idle CPU: the share of one core that the frame process and the game
#     process each use over 10 s while the game page sits idle (target: below
#     1 % each), beside the game's web engine processes (the page's own
#     animation runs there) and the smallest WebKitGTK program showing the
#     same game page (tools/webkit_peer) over the same 10 s, whose start to
#     the page loaded is printed beside the time above as a yardstick.
# The demo portal logs in by itself (auto-login); the launcher runs under
# openbox on a virtual display with fresh user data. Uses the optimised
# `linux` preset build and the portal address 127.0.0.1:18614, which must be
# free.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

PORT=18614
BASE="http://127.0.0.1:$PORT"
IDLE_SECONDS=10

cmake --preset linux >/dev/null
cmake --build --preset linux --target Quellmoor demo_portal webkit_peer >/dev/null
launcher=$PWD/build/linux/src/Quellmoor
portal=build/linux/tools/demo_portal/demo_portal
peer=build/linux/tools/webkit_peer/webkit_peer

export NO_AT_BRIDGE=1
start_display

if curl -s -o /dev/null "$BASE/"; then
  echo "bench-frame: something already answers on $BASE; stop it first" >&2
  exit 1
fi

scratch=$(mktemp -d)
portal_pid="" wm_pid="" running=""
cleanup() {
  [ -z "$running" ] || stop_tree "$running"
  [ -z "$portal_pid" ] || { kill "$portal_pid" 2>/dev/null || true; wait "$portal_pid" 2>/dev/null || true; }
  [ -z "$wm_pid" ] || kill "$wm_pid" 2>/dev/null || true
  rm -rf "$scratch"
  [ ${#QM_XVFB_PIDS[@]} -eq 0 ] || kill "${QM_XVFB_PIDS[@]}" 2>/dev/null || true
}
trap cleanup EXIT

openbox >/dev/null 2>&1 &
wm_pid=$!
"$portal" --port "$PORT" --lifetime 900 --auto-login 'alice@烈焰一区' >/dev/null 2>&1 &
portal_pid=$!
for _ in $(seq 100); do curl -sf "$BASE/control/requests" >/dev/null && break; sleep 0.05; done

# Clock ticks of CPU the processes have used so far (user and system).
cpu_ticks() {
  local total=0 pid used
  for pid in "$@"; do
    # After the command name in parentheses: utime and stime are the 12th
    # and 13th fields.
    used=$(sed 's/.*) //' "/proc/$pid/stat" 2>/dev/null | awk '{print $12 + $13}' || true)
    total=$((total + ${used:-0}))
  done
  echo "$total"
}

# Waits for a line with the marker in the log; prints its time.
wait_line() {
  local log=$1 marker=$2 at=""
  for _ in $(seq 1200); do
    at=$(grep -m1 -F " $marker" "$log" | cut -d' ' -f1 || true)
    [ -n "$at" ] && { echo "$at"; return 0; }
    sleep 0.05
  done
  echo "bench-frame: no \"$marker\" line; the output:" >&2
  cat "$log" >&2
  return 1
}

ticks_per_second=$(getconf CLK_TCK)
percent() { python3 -c "print(f'{100 * $1 / ($ticks_per_second * $IDLE_SECONDS):.2f}')"; }

# The launcher: login by itself, then the frame with the game process.
home="$scratch/home"
mkdir -p "$home"
log="$scratch/launcher.log"
: >"$log"
HOME="$home" XDG_DATA_HOME="$home/.local/share" XDG_CONFIG_HOME="$home/.config" XDG_CACHE_HOME="$home/.cache" \
  "$launcher" > >(stamp_lines >>"$log") 2>&1 &
running=$!
caught=$(wait_line "$log" "game URL caught")
shown=$(wait_line "$log" "game page shown")
game_pid=""
for pid in $(tree_pids "$running"); do
  if tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -q -- '-frameWnd='; then game_pid=$pid; break; fi
done
[ -n "$game_pid" ] || { echo "bench-frame: no game process" >&2; exit 1; }
web_pids=$(tree_pids "$game_pid" | grep -v "^$game_pid\$" || true)
game_path=$(curl -s "$BASE/control/requests" | grep -o '/qmr/play_gamecode[^ ]*' | head -1)

sleep 2  # the page settles
frame_before=$(cpu_ticks "$running")
game_before=$(cpu_ticks "$game_pid")
# shellcheck disable=SC2086
web_before=$(cpu_ticks $web_pids)
sleep "$IDLE_SECONDS"
frame_used=$(($(cpu_ticks "$running") - frame_before))
game_used=$(($(cpu_ticks "$game_pid") - game_before))
# shellcheck disable=SC2086
web_used=$(($(cpu_ticks $web_pids) - web_before))
stop_tree "$running"
running=""

# The peer on the same game page, over the same time.
peer_start=$EPOCHREALTIME
"$peer" --size 1600x930 --data-dir "$scratch/peer-data" "$BASE$game_path" > >(stamp_lines >"$scratch/peer.log") 2>&1 &
running=$!
peer_shown=$(wait_line "$scratch/peer.log" "first-load-finished-ms")
sleep 2
peer_pids=$(tree_pids "$running")
# shellcheck disable=SC2086
peer_before=$(cpu_ticks $peer_pids)
sleep "$IDLE_SECONDS"
# shellcheck disable=SC2086
peer_used=$(($(cpu_ticks $peer_pids) - peer_before))
stop_tree "$running"
running=""

echo "game page: $BASE$game_path"
printf 'game URL caught -> game page shown in the frame: %s ms\n' "$(python3 -c "print(round(($shown - $caught) * 1000))")"
printf 'webkit_peer start -> the same page loaded:       %s ms (a yardstick: a fresh engine on the page)\n' "$(python3 -c "print(round(($peer_shown - $peer_start) * 1000))")"
printf 'idle CPU over %s s, share of one core:\n' "$IDLE_SECONDS"
printf '  frame process:                 %s %% (target < 1 %%)\n' "$(percent "$frame_used")"
printf '  game process:                  %s %% (target < 1 %%)\n' "$(percent "$game_used")"
printf '  game web engine processes:     %s %%\n' "$(percent "$web_used")"
printf '  webkit_peer with its processes: %s %% (the same page)\n' "$(percent "$peer_used")"
