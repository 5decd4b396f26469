#!/usr/bin/env bash
# Throughput of GetFileMd5 on a 64 MiB file against md5sum on the same file,
# best of three runs each, printed as MiB/s and as a ratio. Also the Windows
# build under Wine, as a figure, when it has been built.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh linux >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
file="$work/sample.bin"
head -c $((64 << 20)) /dev/urandom >"$file"
cat "$file" >/dev/null  # warm the page cache for both

read -r ours ours_s < <(build/linux/tools/md5_bench "$file" 3)
best=""
for _ in 1 2 3; do
  start=$(date +%s.%N)
  peer=$(md5sum "$file" | cut -d' ' -f1)
  t=$(echo "$(date +%s.%N) - $start" | bc -l)
  if [ -z "$best" ] || (($(echo "$t < $best" | bc -l))); then best=$t; fi
done
[ "$ours" = "$peer" ] || { echo "digests differ: $ours vs $peer" >&2; exit 1; }
printf 'GetFileMd5 (linux):  %8.1f MiB/s\n' "$(echo "64 / $ours_s" | bc -l)"
printf 'md5sum:              %8.1f MiB/s\n' "$(echo "64 / $best" | bc -l)"
printf 'ratio GetFileMd5/md5sum: %.2f\n' "$(echo "$best / $ours_s" | bc -l)"

if [ -x build/windows/tools/md5_bench.exe ] && [ -x build/windows/wine-run ]; then
  read -r wdigest wtime < <(build/windows/wine-run build/windows/tools/md5_bench.exe "Z:$file" 3 | tr -d '\r')
  [ "$wdigest" = "$peer" ] || { echo "windows digest differs: $wdigest" >&2; exit 1; }
  printf 'GetFileMd5 (windows, under Wine): %8.1f MiB/s (ratio to md5sum %.2f)\n' \
    "$(echo "64 / $wtime" | bc -l)" "$(echo "$best / $wtime" | bc -l)"
fi
