#!/usr/bin/env bash
# Benchmark of `vorntool mount --merged` over the merge benchmark's 20
# archives of 100,000 entries each (2,000,000 entries, 1.7 M merged paths;
# bench_merge writes them):
#   1. the mount's start: opening the archives, the merge, the inode table
#   2. `find MOUNT -type f | wc -l` over the merged tree
#   3. the mount's memory (peak and current resident size)
# Every timing is the best of RUNS runs, each on a fresh mount; the archives
# are in the page cache (read once before).
#
#   bench/bench_mount_merged.sh [WORKDIR]
# Environment: BUILD (build folder, default build), RUNS (3).
source "$(dirname "$0")/mount_common.sh"
work=${1:-$here/../bench-mount-merged}
mkdir -p "$work/game"
cd "$work"
# bench_merge keeps the archives it finds and measures the merge itself; of
# its two sets the game's layers (game*.vmres) are mounted.
[[ -f game/game0.vmres ]] || "$build/bench/bench_merge" "$work/game" >/dev/null
cat game/game*.vmres >/dev/null
use_mount_folder "$work"

for ((i = 0; i < runs; i++)); do
  s=$(now)
  start_mount --merged game/game*.vmres
  e=$(now)
  echo "mount start: $(echo "$e - $s" | bc) s" >&2
  s=$(now); n=$(find "$mnt" -type f | wc -l); e=$(now)
  echo "find: $(echo "$e - $s" | bc) s for $n files" >&2
  [[ $i -eq 0 ]] && awk '/VmHWM|VmRSS/ { print $1 " after find: " $2 / 1024 " MB" }' /proc/$mount_pid/status >&2
  unmount
done
