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

start_display
export NO_AT_BRIDGE=1
status=0
ctest --preset linux-test || status=1
end_stage "Linux suite"
ctest --preset windows || status=1
end_stage "Windows suite"
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
