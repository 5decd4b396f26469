#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer and the address and
# undefined-behaviour sanitizers (preset linux-fuzz) and runs them one after
# the other, each from its seeds for a bounded time:
#
#   scripts/fuzz.sh [seconds per target] [target ...]
#
# Targets (all by default): zip (the zip reader), version_answer (the version
# server's answer and the downloaded file's head), command_line (the launch
# mode and the game process's line), server_name (the game URL's server
# name), hotkey (the hotkey text), settings (systemset.ini's text).
#
# The seconds are per target and default to 10, so that the six targets take
# about a minute together, the time the test command gives them;
# `scripts/fuzz.sh 600` is the long run, ten minutes each.
#
# New inputs go to build/linux-fuzz/work/<target>/corpus; the committed seeds
# (tests/fuzz/corpus/<target>/, the zip reader's tests/install/corpus/) stay
# unchanged. A crash, a sanitizer report or a broken invariant of a target
# fails the script once every target has run, and leaves the input in
# build/linux-fuzz/findings/<target>-*; a target's whole output is in
# build/linux-fuzz/work/<target>/fuzz.log.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
shift || true
all=(zip version_answer command_line server_name hotkey settings)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all[@]}")

declare -A seeds max_len
for t in "${all[@]}"; do seeds[$t]=tests/fuzz/corpus/$t; max_len[$t]=4096; done
seeds[zip]=tests/install/corpus
max_len[zip]=65536
max_len[settings]=8192

executables=()
for t in "${targets[@]}"; do
  [ -n "${seeds[$t]:-}" ] || { echo "fuzz: no target $t (targets: ${all[*]})" >&2; exit 2; }
  executables+=("qm_${t}_fuzzer")
done
cmake --preset linux-fuzz >/dev/null
cmake --build --preset linux-fuzz --target "${executables[@]}"

findings=build/linux-fuzz/findings
mkdir -p "$findings"
failed=()
for t in "${targets[@]}"; do
  work=build/linux-fuzz/work/$t
  mkdir -p "$work/corpus"
  status=0
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "build/linux-fuzz/tests/fuzz/qm_${t}_fuzzer" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
    -max_len="${max_len[$t]}" -print_final_stats=1 -artifact_prefix="$findings/$t-" \
    "$work/corpus" "${seeds[$t]}" >"$work/fuzz.log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/fuzz.log" | tail -n 1)
  corpus=$(find "$work/corpus" -type f | wc -l)
  if [ "$status" -ne 0 ]; then
    failed+=("$t")
    grep -E "^(==[0-9]+==ERROR|invariant broken|SUMMARY|.*runtime error|artifact_prefix=|Test unit written)" \
      "$work/fuzz.log" | head -n 20 || tail -n 30 "$work/fuzz.log"
    echo "fuzz: $t FOUND A FAULT after ${runs:-?} executions (exit $status); input in $findings/, log in $work/fuzz.log"
  else
    echo "fuzz: $t ran ${seconds} s, ${runs:-?} executions, ${corpus} inputs in its corpus, no finding"
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: findings in: ${failed[*]}" >&2
  exit 1
fi
