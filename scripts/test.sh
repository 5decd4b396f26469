#!/usr/bin/env bash
# Sets up the machine, builds both builds and runs every test: the native test
# build (with address and undefined-behaviour sanitizers) and the Windows build
# under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

bash scripts/setup.sh
cmake --preset linux-test >/dev/null
cmake --build --preset linux-test
# The Windows tests run the native demo portal of the test build above.
cmake --preset windows -DQM_NATIVE_TOOLS_DIR="$PWD/build/linux-test/tools" >/dev/null
cmake --build --preset windows

start_display
export NO_AT_BRIDGE=1
status=0
ctest --preset linux-test || status=1
ctest --preset windows || status=1
# Every fuzz target under the sanitizers for a bounded time: 10 s each, about
# a minute in all (QM_FUZZ_SECONDS sets the seconds per target).
bash scripts/fuzz.sh "${QM_FUZZ_SECONDS:-10}" || status=1
WINEPREFIX="$PWD/build/windows/wine/prefix" wineserver -k 2>/dev/null || true
exit $status
