#!/usr/bin/env bash
# Extraction benchmark: vorntool x against unzip, bsdtar and 7z on the same
# files (zip -6), plus decoding alone. Two archives: about 500 MB in 2,000
# files and about 100 MB in 50,000 small files; raw, zlib and LZO, whole and
# chunked. Everything is extracted into fresh folders on the disk that holds
# the sources; each tool runs RUNS times and its best time counts. Before
# the timings, vorntool's output is compared with the source files.
#
# No output is deleted before all timings are done: on ext4 without a
# journal, files created within a minute or so of deleting many other files
# make the kernel step over every recently freed inode of the group, which
# can take most of a run (perf shows it as find_inode_bit/recently_deleted).
# For the same reason, leave a minute or two between two runs of this script.
#
#   bench/bench_extract.sh [WORKDIR]
# Environment: BUILD (build folder, default build), VORNTOOL, GENERATOR, RUNS (3).
set -euo pipefail
shopt -s inherit_errexit # a failing tool inside $(...) stops the benchmark

here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$here/build}
vorntool=${VORNTOOL:-$build/vorntool/vorntool}
generator=${GENERATOR:-$build/bench/make_bench_archives}
work=${1:-$here/../bench-extract}
runs=${RUNS:-3}

for tool in unzip bsdtar 7z zip; do
  command -v $tool >/dev/null || { echo "missing $tool (apt-get install -y unzip libarchive-tools p7zip-full zip)"; exit 1; }
done
mkdir -p "$work"
cd "$work"
if [[ ! -f big.vmres || ! -f small.vmres ]]; then
  rm -rf big small
  "$generator" make "$work"
fi
for set in big small; do
  [[ -f $set.zip ]] || (cd $set && zip -6 -r -q ../$set.zip .)
done
rm -rf out runs
trap 'rm -rf out runs; sync' EXIT

# Best wall-clock seconds of a command run in a new, empty folder "out",
# which is a fresh folder below runs/ each time.
run_number=0
best_time() {
  local best=""
  for ((i = 0; i < runs; i++)); do
    run_number=$((run_number + 1))
    rm -f out && mkdir -p runs/$run_number && ln -s runs/$run_number out && sync
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null
    end=$(date +%s.%N)
    best=$(echo "$start $end ${best:-1e9}" | awk '{t = $2 - $1; print (t < $3 ? t : $3)}')
  done
  echo "$best"
}

best_decode() {
  local best=1e9
  for ((i = 0; i < runs; i++)); do
    best=$("$generator" decode "$1" "$2" | awk -v b=$best '{print ($1 < b ? $1 : b)}')
  done
  echo "$best"
}

printf '%-7s %-22s %9s %9s %10s\n' set tool seconds MB/s "vs vorntool"
for set in big small; do
  bytes=$("$generator" decode $set.vmres 0 | awk '{print $2}')
  mkdir -p runs/check-$set
  "$vorntool" x $set.vmres -o runs/check-$set -y
  diff -r $set runs/check-$set >/dev/null || { echo "vorntool x wrote something else than $set/"; exit 1; }
  declare -A t=()
  t[vorntool x]=$(best_time "$vorntool" x $set.vmres -o out -y)
  t[unzip]=$(best_time unzip -q -o $set.zip -d out)
  t[bsdtar]=$(best_time bsdtar -xf $set.zip -C out)
  t[7z x]=$(best_time 7z x -y -bd -oout $set.zip)
  t[decode only, 1 thread]=$(best_decode $set.vmres 0)
  t[decode only, prefetch]=$(best_decode $set.vmres 1)
  for tool in "vorntool x" unzip bsdtar "7z x" "decode only, 1 thread" "decode only, prefetch"; do
    echo "$set|$tool|${t[$tool]}|$bytes|${t[vorntool x]}"
  done | awk -F'|' '{printf "%-7s %-22s %9.3f %9.1f %10.2f\n", $1, $2, $3, $4 / $3 / 1e6, $3 / $5}'
  # The goals: faster than the fastest other tool; a share of the decoding speed.
  echo "${t[vorntool x]} ${t[unzip]} ${t[bsdtar]} ${t[7z x]} ${t[decode only, 1 thread]} ${t[decode only, prefetch]}" |
    awk -v set=$set '{other = $2; if ($3 < other) other = $3; if ($4 < other) other = $4
                      decode = $5 < $6 ? $5 : $6
                      printf "%-7s vorntool x: %.2fx the speed of the fastest other tool, %.0f%% of the decoding speed\n",
                             set, other / $1, 100 * decode / $1}'
  unset t
done
