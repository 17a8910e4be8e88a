#!/usr/bin/env bash
# The window's long jobs against vorntool on the same archives: extraction
# (the engine on a worker thread, the window's event loop and progress
# window running meanwhile) against `vorntool x`, and Test Archive against
# `vorntool test`. Uses the archives of bench/bench_extract.sh (made when
# missing). Each run extracts into a fresh folder; the best of RUNS counts.
# As with bench_extract.sh, outputs are only deleted after all timings.
#
#   bench/bench_jobs.sh [WORKDIR]
# Environment: BUILD (build folder, default build), RUNS (3).
set -euo pipefail
shopt -s inherit_errexit

here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$here/build}
vorntool=$build/vorntool/vorntool
gui=$build/bench/bench_gui_jobs
generator=$build/bench/make_bench_archives
work=${1:-$here/../bench-extract}
runs=${RUNS:-3}

mkdir -p "$work"
cd "$work"
[[ -f big.vmres && -f small.vmres ]] || "$generator" make "$work"
rm -rf jobs-runs
mkdir jobs-runs
trap 'rm -rf jobs-runs; sync' EXIT

# Best seconds of a command; "OUT" in its arguments becomes a fresh folder.
best_time() {
  local best=1e9
  for ((i = 0; i < runs; i++)); do
    local out
    out=$(mktemp -d jobs-runs/run.XXXXXX) && sync
    local args=("${@//OUT/$out}")
    local start end
    start=$(date +%s.%N)
    "${args[@]}" >/dev/null 2>&1 || true # vorntool test exits 1 on damage
    end=$(date +%s.%N)
    best=$(echo "$start $end $best" | awk '{t = $2 - $1; print (t < $3 ? t : $3)}')
  done
  echo "$best"
}

printf '%-6s %-28s %9s %12s\n' set job seconds "vs vorntool"
for set in big small; do
  x=$(best_time "$vorntool" x $set.vmres -o OUT -y)
  gx=$(best_time "$gui" extract $set.vmres OUT)
  t=$(best_time "$vorntool" test $set.vmres)
  gt=$(best_time "$gui" test $set.vmres)
  printf '%-6s %-28s %9.3f\n' $set "vorntool x" $x
  awk -v s=$set -v g=$gx -v c=$x 'BEGIN {printf "%-6s %-28s %9.3f %11.0f%%\n", s, "window: Extract", g, 100 * g / c}'
  printf '%-6s %-28s %9.3f\n' $set "vorntool test" $t
  awk -v s=$set -v g=$gt -v c=$t 'BEGIN {printf "%-6s %-28s %9.3f %11.0f%%\n", s, "window: Test Archive", g, 100 * g / c}'
done
