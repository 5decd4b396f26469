#!/usr/bin/env bash
# The frame with the game, measured in one run of this script:
#   - time: from the login's caught game URL (the launcher's "game URL
#     caught" line) to the game page shown in the frame (the game process's
#     "game page shown" line, written once its first document has completed),
#     stamped the same way as the lines arrive, against the smallest WebKitGTK
#     program showing the same game page (tools/webkit_peer) from its start to
#     the page loaded; each side runs once to warm the caches, then RUNS times
#     in turn (5 unless QM_BENCH_RUNS says otherwise), and the medians and
#     their ratio (target: <= 1.2) are printed;
#   - the stages between the two lines: the launcher and its game process run
#     with QM_STAGE_LOG set and write a "stage" line with the wall-clock time
#     at each step (login window hidden and closed, frame started and
#     maximized, hotkeys, game process started and running, game view,
#     navigation, embedding hand-shake, the page's first response, the page
#     shown); the median time of each after the caught game URL is printed,
#     in the order of those medians, with the step from the line before;
#   - idle CPU (in the last run of each side): the share of one core that
#     the frame process and the game process each use over 10 s while the
#     game page sits idle (target: below 1 % each), beside the game's web
#     engine processes (the page's own animation runs there) and webkit_peer
#     with its processes over the same 10 s.
# The demo portal logs in by itself (auto-login); the launcher runs under
# openbox on a virtual display with fresh user data. Uses the optimised
# `linux` preset build and the portal address 127.0.0.1:18614, which must be
# free.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

PORT=18614
RUNS=${QM_BENCH_RUNS:-5}
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

# Waits for a line with the marker in the log; prints the time it arrived.
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


# Runs the launcher once with fresh user data: login by itself, then the
# frame with the game process. Sets launcher_run_ms (caught -> shown, from
# the arrival times); its output stays in the file $1. With "idle" as $2 it
# also measures the idle CPU: idle_launcher="<frame> <game> <web engine>"
# (clock ticks).
run_launcher() {
  local log=$1 idle=${2:-}
  local home="$scratch/home-$RANDOM"
  mkdir -p "$home"
  : >"$log"
  HOME="$home" XDG_DATA_HOME="$home/.local/share" XDG_CONFIG_HOME="$home/.config" XDG_CACHE_HOME="$home/.cache" \
    QM_STAGE_LOG=1 "$launcher" > >(stamp_lines >>"$log") 2>&1 &
  running=$!
  local caught shown
  caught=$(wait_line "$log" "game URL caught")
  shown=$(wait_line "$log" "game page shown")
  launcher_run_ms=$(python3 -c "print(round(($shown - $caught) * 1000))")
  if [ "$idle" = idle ]; then
    local game_pid="" pid web_pids
    for pid in $(tree_pids "$running"); do
      if tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -q -- '-frameWnd='; then game_pid=$pid; break; fi
    done
    [ -n "$game_pid" ] || { echo "bench-frame: no game process" >&2; exit 1; }
    web_pids=$(tree_pids "$game_pid" | grep -v "^$game_pid\$" || true)
    sleep 2  # the page settles
    local frame_before game_before web_before
    frame_before=$(cpu_ticks "$running")
    game_before=$(cpu_ticks "$game_pid")
    # shellcheck disable=SC2086
    web_before=$(cpu_ticks $web_pids)
    sleep "$IDLE_SECONDS"
    # shellcheck disable=SC2086
    idle_launcher="$(($(cpu_ticks "$running") - frame_before)) $(($(cpu_ticks "$game_pid") - game_before)) $(($(cpu_ticks $web_pids) - web_before))"
  else
    sleep 1  # as long as the peer's runs stay after their page
  fi
  stop_tree "$running"
  running=""
}

# Runs the peer once on the game page with fresh engine data. Sets
# peer_run_ms (its start to the page loaded); its output stays in the file
# $1, the time it was started in $1.start. With "idle" as $2 also idle_peer,
# the idle CPU ticks of it and its processes.
run_peer() {
  local log=$1 idle=${2:-}
  local start=$EPOCHREALTIME
  echo "$start" >"$log.start"
  QM_STAGE_LOG=1 "$peer" --size 1600x930 --data-dir "$scratch/peer-data-$RANDOM" "$BASE$game_path" \
    > >(stamp_lines >"$log") 2>&1 &
  running=$!
  local loaded
  loaded=$(wait_line "$log" "first-load-finished-ms")
  peer_run_ms=$(python3 -c "print(round(($loaded - $start) * 1000))")
  if [ "$idle" = idle ]; then
    sleep 2
    local pids before
    pids=$(tree_pids "$running")
    # shellcheck disable=SC2086
    before=$(cpu_ticks $pids)
    sleep "$IDLE_SECONDS"
    # shellcheck disable=SC2086
    idle_peer=$(($(cpu_ticks $pids) - before))
  else
    sleep 1
  fi
  stop_tree "$running"
  running=""
}

median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR + 1) / 2)]}'; }

load_before=$(cut -d' ' -f1-3 /proc/loadavg)

# The warm-up runs; the first shows the game page's address.
run_launcher "$scratch/launcher-warm.log"
game_path=$(curl -s "$BASE/control/requests" | grep -o '/qmr/play_gamecode[^ ]*' | head -1)
[ -n "$game_path" ] || { echo "bench-frame: the portal saw no game page" >&2; exit 1; }
run_peer "$scratch/peer-warm.log"

launcher_ms=() peer_ms=()
idle_launcher="" idle_peer=""
for run in $(seq "$RUNS"); do
  idle=""
  [ "$run" -eq "$RUNS" ] && idle=idle
  run_launcher "$scratch/launcher-$run.log" $idle
  launcher_ms+=("$launcher_run_ms")
  run_peer "$scratch/peer-$run.log" $idle
  peer_ms+=("$peer_run_ms")
done

lm=$(printf '%s\n' "${launcher_ms[@]}" | median)
pm=$(printf '%s\n' "${peer_ms[@]}" | median)
read -r frame_used game_used web_used <<<"$idle_launcher"

echo "game page: $BASE$game_path"
echo "runs: $RUNS each, in turn, after one warm-up run each"
echo "load average (1, 5, 15 min) before: $load_before, after: $(cut -d' ' -f1-3 /proc/loadavg)"
printf 'game URL caught -> game page shown in the frame: %s ms (runs: %s)\n' "$lm" "${launcher_ms[*]}"
printf 'webkit_peer start -> the same page loaded:       %s ms (runs: %s)\n' "$pm" "${peer_ms[*]}"
printf 'time ratio (frame / peer): %.2f (target <= 1.2)\n' "$(python3 -c "print($lm / $pm)")"

# The stages, from the stage lines of every run.
python3 - "$RUNS" "$scratch" <<'PY'
import statistics, sys
runs, scratch = int(sys.argv[1]), sys.argv[2]

def stage_lines(path):
    stages = {}
    for line in open(path, encoding="utf-8", errors="replace"):
        fields = line.rstrip("\n").split(" ", 3)
        if len(fields) == 4 and fields[1] == "stage":
            stages.setdefault(fields[3], float(fields[2]))  # the first of each
    return stages

def table(title, side, origin_of):
    offsets = {}  # stage -> milliseconds after the origin, one per run
    for run in range(1, runs + 1):
        path = f"{scratch}/{side}-{run}.log"
        stages = stage_lines(path)
        origin = origin_of(path, stages)
        if origin is None:
            continue
        for name, at in stages.items():
            if at >= origin:
                offsets.setdefault(name, []).append((at - origin) * 1000)
    rows = sorted((statistics.median(v), name, len(v)) for name, v in offsets.items())
    print(title)
    before = 0.0
    for at, name, count in rows:
        note = "" if count == runs else f" (in {count} of {runs} runs)"
        print(f"  {at:7.0f}  +{at - before:6.0f}  {name}{note}")
        before = at

table("frame: stages after the caught game URL, median of the runs (ms; step from the line before):",
      "launcher", lambda path, stages: stages.get("game URL caught"))
table("webkit_peer: stages after its start, median of the runs (ms; step from the line before):",
      "peer", lambda path, stages: float(open(path + ".start").read()))
PY

printf 'idle CPU over %s s, share of one core (last run):\n' "$IDLE_SECONDS"
printf '  frame process:                 %s %% (target < 1 %%)\n' "$(percent "$frame_used")"
printf '  game process:                  %s %% (target < 1 %%)\n' "$(percent "$game_used")"
printf '  game web engine processes:     %s %%\n' "$(percent "$web_used")"
printf '  webkit_peer with its processes: %s %% (the same page)\n' "$(percent "$idle_peer")"
