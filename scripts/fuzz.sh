#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer and the address and
# undefined-behaviour sanitizers, and runs each for a bounded time (seconds,
# default 60) from its seed corpus. A crash fails the script and leaves the
# input that caused it in build/linux-fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

cmake --preset linux-fuzz >/dev/null
cmake --build --preset linux-fuzz --target qm_zip_fuzzer

work=build/linux-fuzz/work
mkdir -p "$work/zip-corpus" build/linux-fuzz/findings
# New inputs go to a corpus of the build; the committed seeds stay unchanged.
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  build/linux-fuzz/tests/fuzz/qm_zip_fuzzer -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
  -max_len=65536 -print_final_stats=1 -artifact_prefix=build/linux-fuzz/findings/ \
  "$work/zip-corpus" tests/install/corpus 2>&1 | tail -n 12
echo "fuzz: zip reader ran ${seconds} s without a finding"
