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
set -euo pipefail
shopt -s inherit_errexit

here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$here/build}
vorntool=$build/vorntool/vorntool
work=${1:-$here/../bench-mount-merged}
runs=${RUNS:-3}
mkdir -p "$work/game"
cd "$work"
# bench_merge keeps the archives it finds and measures the merge itself; of
# its two sets the game's layers (game*.vmres) are mounted.
[[ -f game/game0.vmres ]] || "$build/bench/bench_merge" "$work/game" >/dev/null
cat game/game*.vmres >/dev/null
mnt=$work/mnt
mkdir -p "$mnt"
mount_pid=
unmount() {
  if [[ -n $mount_pid ]]; then
    fusermount3 -u "$mnt" 2>/dev/null || fusermount3 -uz "$mnt"
    wait "$mount_pid" || true
    mount_pid=
  fi
}
trap unmount EXIT
now() { date +%s.%N; }

for ((i = 0; i < runs; i++)); do
  s=$(now)
  "$vorntool" mount --merged game/game*.vmres "$mnt" 2>/dev/null &
  mount_pid=$!
  until grep -q " $mnt " /proc/mounts; do sleep 0.01; done
  e=$(now)
  echo "mount start: $(echo "$e - $s" | bc) s" >&2
  s=$(now); n=$(find "$mnt" -type f | wc -l); e=$(now)
  echo "find: $(echo "$e - $s" | bc) s for $n files" >&2
  [[ $i -eq 0 ]] && awk '/VmHWM|VmRSS/ { print $1 " after find: " $2 / 1024 " MB" }' /proc/$mount_pid/status >&2
  unmount
done
