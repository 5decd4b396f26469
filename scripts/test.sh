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

# The two suites run side by side, each on a virtual display of its own:
# much of their time is waiting (for windows, processes, servers), and each
# suite's waits leave the processor to the other. Each one's output is shown
# when both have ended.
export NO_AT_BRIDGE=1
status=0
run_suite() {  # preset display
  local started=$SECONDS result=0
  rm -f "build/$1/suite.result"
  DISPLAY=$2 ctest --preset "$1" >"build/$1/suite.log" 2>&1 || result=1
  echo "$((SECONDS - started)) $result" >"build/$1/suite.result"
}
new_display
run_suite linux-test "$NEW_DISPLAY" &
linux_suite=$!
new_display
run_suite windows "$NEW_DISPLAY" &
windows_suite=$!
wait "$linux_suite" "$windows_suite" || true
suite_times=()
for preset in linux-test windows; do
  echo
  echo "== $preset suite"
  cat "build/$preset/suite.log"
  read -r seconds result <"build/$preset/suite.result" || { seconds=0; result=1; }
  [ "$result" = 0 ] || status=1
  suite_times+=("$(printf '%-28s %5d s' "  $preset suite" "$seconds")")
done
end_stage "both suites, side by side"
stages+=("${suite_times[@]}")
# Every fuzz target under the sanitizers for a bounded time: 10 s each, about
# a minute in all (QM_FUZZ_SECONDS sets the seconds per target).
bash scripts/fuzz.sh "${QM_FUZZ_SECONDS:-10}" || status=1
end_stage "fuzzing"
WINEPREFIX="$PWD/build/windows/wine/prefix" wineserver -k 2>/dev/null || true

echo
echo "Time of each stage:"
printf '  %s\n' "${stages[@]}"
printf '  %-28s %5d s\n' "whole run" $((SECONDS - run_start))
exit $status
