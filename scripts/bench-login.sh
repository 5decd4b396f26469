#!/usr/bin/env bash
# Start-up of the login against the smallest WebKitGTK program that shows the
# same page (tools/webkit_peer), on this machine, from one run of this script:
#   - time: from the moment the program is started to the login page shown
#     (the launcher's "login page shown" line, written once the first
#     document has completed and the page is placed; the peer's
#     "first-load-finished-ms" line), stamped the same way for both as the
#     lines arrive;
#   - memory: the resident set (RSS) of the program and of every process
#     below it (the web engine's network and web processes), a second after
#     the page is shown.
# Each side runs once to warm the caches, then RUNS times (3 unless
# QM_BENCH_RUNS says otherwise); the medians and their ratios (launcher over
# peer; targets: time <= 1.2, memory <= 1.3) are printed. Both start with
# fresh web engine data. Uses the optimised `linux` preset build (no
# sanitizers) and the demo portal on the build's own portal address,
# 127.0.0.1:18614, which must be free.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

PORT=18614
RUNS=${QM_BENCH_RUNS:-3}
BASE="http://127.0.0.1:$PORT"

cmake --preset linux >/dev/null
cmake --build --preset linux --target Quellmoor demo_portal webkit_peer >/dev/null
launcher=build/linux/src/Quellmoor
portal=build/linux/tools/demo_portal/demo_portal
peer=build/linux/tools/webkit_peer/webkit_peer

export NO_AT_BRIDGE=1
start_display

if curl -s -o /dev/null "$BASE/"; then
  echo "bench-login: something already answers on $BASE; stop it first" >&2
  exit 1
fi

scratch=$(mktemp -d)
portal_pid=""
running=""  # the program under measurement, while it runs
cleanup() {
  [ -z "$running" ] || stop_tree "$running"
  [ -z "$portal_pid" ] || { kill "$portal_pid" 2>/dev/null || true; wait "$portal_pid" 2>/dev/null || true; }
  rm -rf "$scratch"
  [ ${#QM_XVFB_PIDS[@]} -eq 0 ] || kill "${QM_XVFB_PIDS[@]}" 2>/dev/null || true
}
trap cleanup EXIT

"$portal" --port "$PORT" --lifetime 900 >/dev/null 2>&1 &
portal_pid=$!
for _ in $(seq 100); do curl -sf "$BASE/control/requests" >/dev/null && break; sleep 0.05; done

# Kilobytes resident in the process and the processes below it.
tree_rss_kib() {
  local total=0 pid rss
  for pid in $(tree_pids "$1"); do
    rss=$(ps -o rss= -p "$pid" 2>/dev/null | tr -d ' ' || true)
    total=$((total + ${rss:-0}))
  done
  echo "$total"
}

# Runs one side: NAME MARKER COMMAND... Prints "<milliseconds> <KiB>".
measure() {
  local name=$1 marker=$2
  shift 2
  local home="$scratch/$name-home-$RANDOM"
  local log="$scratch/$name-$RANDOM.log"
  mkdir -p "$home"
  : >"$log"
  local start=$EPOCHREALTIME
  HOME="$home" XDG_DATA_HOME="$home/.local/share" XDG_CONFIG_HOME="$home/.config" \
    XDG_CACHE_HOME="$home/.cache" "$@" > >(stamp_lines >>"$log") 2>&1 &
  running=$!
  local shown=""
  for _ in $(seq 600); do
    shown=$(grep -m1 -F " $marker" "$log" | cut -d' ' -f1 || true)
    [ -n "$shown" ] && break
    sleep 0.05
  done
  if [ -z "$shown" ]; then
    echo "bench-login: $name never showed the page; its output:" >&2
    cat "$log" >&2
    exit 1
  fi
  sleep 1
  local kib
  kib=$(tree_rss_kib "$running")
  stop_tree "$running"
  running=""
  python3 -c "print(round(($shown - $start) * 1000), $kib)"
}

median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR + 1) / 2)]}'; }

run_launcher() { measure launcher "login page shown" "$launcher"; }

# The launcher's login page, MAC part included, as the portal saw it.
run_launcher >/dev/null
login_path=$(curl -s "$BASE/control/requests" | grep -o '/client/gamecode/qmr/skin/as/mac/[^ ]*' | head -1)
login_url="$BASE$login_path"
run_peer() { measure peer "first-load-finished-ms" "$peer" --size 690x452 --data-dir "$scratch/peer-data-$RANDOM" "$login_url"; }
run_peer >/dev/null

launcher_ms=() launcher_kib=() peer_ms=() peer_kib=()
for _ in $(seq "$RUNS"); do
  read -r ms kib < <(run_launcher)
  launcher_ms+=("$ms") launcher_kib+=("$kib")
  read -r ms kib < <(run_peer)
  peer_ms+=("$ms") peer_kib+=("$kib")
done

lm=$(printf '%s\n' "${launcher_ms[@]}" | median)
lk=$(printf '%s\n' "${launcher_kib[@]}" | median)
pm=$(printf '%s\n' "${peer_ms[@]}" | median)
pk=$(printf '%s\n' "${peer_kib[@]}" | median)

echo "login page: $login_url"
echo "runs: $RUNS each, after one warm-up run each"
printf 'launcher start -> login page shown: %s ms (runs: %s)\n' "$lm" "${launcher_ms[*]}"
printf 'webkit_peer start -> page loaded:   %s ms (runs: %s)\n' "$pm" "${peer_ms[*]}"
printf 'launcher RSS with web processes:    %s MiB (runs, KiB: %s)\n' "$(python3 -c "print(round($lk / 1024, 1))")" "${launcher_kib[*]}"
printf 'webkit_peer RSS with web processes: %s MiB (runs, KiB: %s)\n' "$(python3 -c "print(round($pk / 1024, 1))")" "${peer_kib[*]}"
printf 'time ratio (launcher / peer):   %.2f (target <= 1.2)\n' "$(python3 -c "print($lm / $pm)")"
printf 'memory ratio (launcher / peer): %.2f (target <= 1.3)\n' "$(python3 -c "print($lk / $pk)")"
