#!/usr/bin/env bash
# Mount benchmark: reading through `vorntool mount` against vorntool itself.
#   1. sequential read of a 1 GB chunked file: `cat MOUNT/big.bin` against
#      `vorntool cat`, both to /dev/null
#   2. 4 KB reads at 10,000 random offsets of that file, cold cache (a fresh
#      mount, readahead off): time per read and chunks decoded per read
#   3. `find MOUNT -type f | wc -l` over 1,000,000 entries (and the mount's
#      start, which builds the inode table)
#   4. `cp -r` of 50,000 small files out of the mount against `vorntool x`
#   5. the mount's memory (peak resident size) with the default cache
# Every timing is the best of RUNS runs, each on a fresh mount; the archives
# themselves are in the page cache (read once before).
#
#   bench/bench_mount.sh [WORKDIR]
# Environment: BUILD (build folder, default build), RUNS (3).
source "$(dirname "$0")/mount_common.sh"
work=${1:-$here/../bench-mount}
mkdir -p "$work"
cd "$work"
[[ -f big.vmres && -f many.vmres && -f small.vmres ]] || "$build/bench/make_mount_archives" "$work"
cat big.vmres many.vmres small.vmres >/dev/null
use_mount_folder "$work"
# Statistics of each mount go to $work/stats.
mount_log=$work/stats
peak_memory() { awk '/VmHWM/ { print $2 / 1024 " MB" }' /proc/$mount_pid/status; }
best() { sort -g | head -1; }

echo "== 1. sequential read of 1 GB (zlib, 64 KB chunks)"
for ((i = 0; i < runs; i++)); do
  s=$(now); "$vorntool" cat big.vmres big.bin >/dev/null; e=$(now); echo "$e - $s" | bc
done | best | sed 's/^/vorntool cat: /; s/$/ s/'
for ((i = 0; i < runs; i++)); do
  start_mount --stats big.vmres
  s=$(now); cat "$mnt/big.bin" >/dev/null; e=$(now); echo "$e - $s" | bc
  [[ $i -eq 0 ]] && cmp "$mnt/big.bin" big.bin && echo "contents equal big.bin" >&2
  [[ $i -eq 0 ]] && echo "peak memory after reading 2 GB: $(peak_memory)" >&2
  unmount
done | best | sed 's/^/cat through the mount: /; s/$/ s/'

echo "== 2. 4 KB reads at 10,000 random offsets (4 KB aligned), cold cache"
for ((i = 0; i < runs; i++)); do
  start_mount --stats big.vmres
  python3 - "$mnt/big.bin" <<'PY'
import os, random, sys, time
fd = os.open(sys.argv[1], os.O_RDONLY)
os.posix_fadvise(fd, 0, 0, os.POSIX_FADV_RANDOM)
random.seed(1)
pages = os.fstat(fd).st_size // 4096
offsets = [random.randrange(pages) * 4096 for _ in range(10000)]
start = time.perf_counter()
for offset in offsets:
    assert len(os.pread(fd, 4096, offset)) == 4096
print((time.perf_counter() - start) / len(offsets) * 1e6)
PY
  unmount
  sed -n 's/.* \([0-9]*\) chunks decoded.*/chunks decoded: \1/p' "$work/stats" >&2
done | best | sed 's/^/time per read (us): /'

echo "== 3. find over 1,000,000 entries"
for ((i = 0; i < runs; i++)); do
  s=$(now); start_mount --stats many.vmres; e=$(now)
  echo "mount start (inode table): $(echo "$e - $s" | bc) s" >&2
  s=$(now); n=$(find "$mnt" -type f | wc -l); e=$(now)
  echo "$n files" >&2
  [[ $i -eq 0 ]] && echo "peak memory after find: $(peak_memory)" >&2
  unmount
  echo "$e - $s" | bc
done | best | sed 's/^/find -type f | wc -l: /; s/$/ s/'

echo "== 4. 50,000 small files: cp -r out of the mount against vorntool x"
rm -rf out && mkdir out
for ((i = 0; i < runs; i++)); do
  s=$(now); "$vorntool" x small.vmres -o "out/x$i" -y >/dev/null; e=$(now); echo "$e - $s" | bc
done | best | sed 's/^/vorntool x: /; s/$/ s/'
for ((i = 0; i < runs; i++)); do
  start_mount --stats small.vmres
  s=$(now); cp -r "$mnt" "out/cp$i"; e=$(now)
  unmount
  echo "$e - $s" | bc
done | best | sed 's/^/cp -r from the mount: /; s/$/ s/'
diff -r out/x0 out/cp0 && echo "cp -r and vorntool x wrote the same files"
rm -rf out
