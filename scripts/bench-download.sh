#!/usr/bin/env bash
# Download throughput of the self-update's path against curl: a 128 MiB body
# (QM_BENCH_MIB to change it) from the demo portal on 127.0.0.1, once through
# CUpdateModule::DownloadUpdate (reads of 1024 bytes gathered into 64 KiB
# writes, then the MD5 of the whole file) and once through curl writing the
# same body to a file followed by md5sum of it, so that both sides include
# the digest. Prints the figures and their ratio (curl + md5sum time over
# DownloadUpdate time: above 1 means ours is faster) from one run. Linux: an optimised build
# without sanitizers in build/bench. Windows: the test build under Wine
# (pass --windows), printed as a figure beside the native curl.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

calc() { python3 -c "print($1)"; }

SIZE=$((${QM_BENCH_MIB:-128} * 1024 * 1024))
PORT=${QM_BENCH_PORT:-18699}
WINDOWS=0
[ "${1:-}" = "--windows" ] && WINDOWS=1

cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQM_BUILD_TESTS=ON >/dev/null
cmake --build build/bench --target demo_portal qm_download_bench >/dev/null
if [ $WINDOWS = 1 ]; then
  cmake --preset windows >/dev/null
  cmake --build --preset windows --target qm_download_bench >/dev/null
fi

scratch=$(mktemp -d)
build/bench/tools/demo_portal/demo_portal --port "$PORT" --lifetime 900 >/dev/null &
portal=$!
cleanup() { kill "$portal" 2>/dev/null || true; wait "$portal" 2>/dev/null || true; rm -rf "$scratch"; }
trap cleanup EXIT
for _ in $(seq 100); do curl -sf "http://127.0.0.1:$PORT/control/requests" >/dev/null && break; sleep 0.05; done
url="http://127.0.0.1:$PORT/test/bytes?n=$SIZE"

# The launcher's path, in a user data area of its own.
mkdir -p "$scratch/home/.local/share"
line=$(HOME="$scratch/home" XDG_DATA_HOME="$scratch/home/.local/share" XDG_CONFIG_HOME="$scratch/home/.config" \
       XDG_CACHE_HOME="$scratch/home/.cache" build/bench/tests/update/qm_download_bench "$url")
ours=$(sed -n 's/.*seconds=\([0-9.]*\).*/\1/p' <<<"$line")

start=$(date +%s.%N)
curl -sf -o "$scratch/curl.bin" "$url"
md5sum "$scratch/curl.bin" >/dev/null
end=$(date +%s.%N)
theirs=$(calc "$end - $start")
test "$(stat -c %s "$scratch/curl.bin")" = "$SIZE"

mib=$((SIZE / 1048576))
printf 'body: %d MiB on 127.0.0.1\n' "$mib"
printf 'DownloadUpdate (Linux build): %s\n' "$line"
printf 'curl -o file + md5sum:        seconds=%.3f MiB/s=%.1f\n' "$theirs" "$(calc "$mib / $theirs")"
printf 'ratio (curl + md5sum time / DownloadUpdate time): %.2f\n' "$(calc "$theirs / $ours")"

if [ $WINDOWS = 1 ]; then
  # Under Wine, in the build's own prefix; the figure includes Wine's WinInet.
  wline=$(QM_WINE_TIMEOUT=600 build/windows/wine-run build/windows/tests/update/qm_download_bench.exe "$url" | tr -d '\r')
  wours=$(sed -n 's/.*seconds=\([0-9.]*\).*/\1/p' <<<"$wline")
  printf 'DownloadUpdate (Windows build under Wine): %s\n' "$wline"
  printf 'ratio under Wine (curl + md5sum time / DownloadUpdate time): %.2f\n' "$(calc "$theirs / $wours")"
fi
