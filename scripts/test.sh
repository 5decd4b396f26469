#!/usr/bin/env bash
# Sets up the machine, builds both builds and runs every test: the native test
# build (with address and undefined-behaviour sanitizers) and the Windows build
# under Wine, then the fuzz targets; the time of each stage is printed at the
# end.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

stages=()
stage_start=$SECONDS
end_stage() {
  stages+=("$(printf '%-28s %5d s' "$1" $((SECONDS - stage_start)))")
  stage_start=$SECONDS
}
run_start=$SECONDS

bash scripts/setup.sh
end_stage "setup"
cmake --preset linux-test >/dev/null
cmake --build --preset linux-test
end_stage "Linux test build"
# The Windows tests run the native demo portal of the test build above.
cmake --preset windows -DQM_NATIVE_TOOLS_DIR="$PWD/build/linux-test/tools" >/dev/null
cmake --build --preset windows
end_stage "Windows build"

# The suites run in three lanes side by side, each on a virtual display of
# its own: much of their time is waiting (for windows, processes, servers),
# and each lane's waits leave the processor to the others. The native suite is
# one lane; the Wine suite is split in two, its tests of windows on screen
# (label "screens") running in a Wine prefix of their own, the rest followed
# by the fuzz targets (at a lower priority, so that the screen tests keep
# their timing): every fuzz target under the sanitizers for a bounded time,
# 10 s each (QM_FUZZ_SECONDS sets the seconds per target). Each part's output
# is shown when all have ended.
export NO_AT_BRIDGE=1
status=0
# Each run starts from fresh copies of the booted template prefix (a second
# each): what one run's tests leave in a prefix (the cache cleaning removes
# WinInet's cache folders, for one) must not decide the next run's results.
wine_lane_prefixes=(build/windows/wine/prefix build/windows/wine/prefix-screens)
for prefix in "${wine_lane_prefixes[@]}"; do
  WINEPREFIX="$PWD/$prefix" wineserver -k 2>/dev/null || true
  rm -rf "$prefix" "${prefix/prefix/home}"
done
run_part() {  # name command...
  local name=$1 started=$SECONDS result=0
  shift
  rm -f "build/$name.result"
  "$@" >"build/$name.log" 2>&1 || result=1
  echo "$((SECONDS - started)) $result" >"build/$name.result"
}
on_new_display() {  # command...
  new_display
  env DISPLAY="$NEW_DISPLAY" "$@"
}
lanes=()
run_part linux-suite on_new_display ctest --preset linux-test &
lanes+=($!)
(
  run_part windows-suite on_new_display ctest --preset windows -LE screens
  run_part fuzzing nice -n 10 bash scripts/fuzz.sh "${QM_FUZZ_SECONDS:-10}"
) &
lanes+=($!)
run_part windows-screens on_new_display env QM_WINE_LANE=screens ctest --preset windows -L screens &
lanes+=($!)
wait "${lanes[@]}" || true
part_times=()
for part in linux-suite windows-suite windows-screens fuzzing; do
  echo
  echo "== $part"
  cat "build/$part.log"
  read -r seconds result <"build/$part.result" || { seconds=0; result=1; }
  [ "$result" = 0 ] || status=1
  part_times+=("$(printf '%-28s %5d s' "  $part" "$seconds")")
done
end_stage "suites and fuzzing"
stages+=("${part_times[@]}")
for prefix in "${wine_lane_prefixes[@]}"; do
  WINEPREFIX="$PWD/$prefix" wineserver -k 2>/dev/null || true
done

echo
echo "Time of each stage:"
printf '  %s\n' "${stages[@]}"
printf '  %-28s %5d s\n' "whole run" $((SECONDS - run_start))
exit $status
