#!/usr/bin/env bash
# Scale benchmarks (docs/benchmarks.md, "Scale"), each measurement beside
# its peer in the same run:
#   memory  peak memory of ls, test, x, find and diff on a 1,000,000-entry
#           archive (bench_find's names.vmres), beside its index size;
#   files   x of its 1,000,000 files against bsdtar -xf of a tar of the same
#           tree (and x of BEFORE, when given), each into a fresh folder,
#           alternating, ROUNDS rounds;
#   big     x against test on one 4.19 GB chunked entry, zlib and LZO,
#           alternating, ROUNDS rounds; also x into TMPFS (default /dev/shm,
#           when it has room) to tell the disk's share, and x of BEFORE.
# Outputs of the file rounds are deleted only at the end (see the note on
# ext4 in bench_extract.sh); a big entry's output right after its round.
#
#   bench/bench_scale.sh [WORKDIR] [memory] [files] [big]     (default: all three)
# Environment: BUILD (build folder), VORNTOOL, ROUNDS (2), BEFORE (an older vorntool,
# measured beside this one in the memory table when given).
set -euo pipefail
shopt -s inherit_errexit

here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$here/build}
vorntool=${VORNTOOL:-$build/vorntool/vorntool}
work=${1:-$here/../bench-scale}
shift || true
parts=("$@")
[[ ${#parts[@]} -gt 0 ]] || parts=(memory files big)
rounds=${ROUNDS:-2}

mkdir -p "$work"
cd "$work"
trap 'rm -rf runs; sync' EXIT

# "seconds peak-MB CPU-seconds" of one command (CPU: user and system);
# output to /dev/null, exit status ignored (test and diff report through it).
measure() {
  sync
  /usr/bin/time -o time.out -f '%e %M %U %S' "$@" >/dev/null 2>&1 || true
  awk 'END {printf "%.2f %.1f %.2f", $1, $2 / 1024, $3 + $4}' time.out
}

want() { [[ " ${parts[*]} " == *" $1 "* ]]; }

if want memory || want files; then
  [[ -f names.vmres ]] || "$build/bench/bench_find" make "$work" >/dev/null
fi

if want memory; then
  index=$("$vorntool" info names.vmres | awk '/^m_IndexSize:/ {printf "%.1f", $2 / 1048576}')
  echo "memory: names.vmres, 1,000,000 entries, index $index MB"
  printf '%-32s %12s %12s\n' command "peak MB" "before MB"
  mkdir -p runs
  for command in "ls names.vmres" "test names.vmres" "x names.vmres -o runs/mem-OUT -y" \
                 "find names.vmres --substring e" "diff names.vmres names.vmres --only same"; do
    now=$(measure "$vorntool" ${command//OUT/now})
    before="-"
    [[ -n ${BEFORE:-} ]] && before=$(measure "$BEFORE" ${command//OUT/before} | cut -d' ' -f2)
    printf '%-32s %12s %12s\n' "${command//-o runs\/mem-OUT /}" "${now#* }" "$before"
  done
  rm -rf runs/mem-*
fi

if want files; then
  command -v bsdtar >/dev/null || { echo "missing bsdtar (bash scripts/deps.sh --bench)"; exit 1; }
  if [[ ! -f names.tar ]]; then
    rm -rf tree && "$vorntool" x names.vmres -o tree -y >/dev/null
    bsdtar -cf names.tar -C tree . && rm -rf tree
  fi
  echo "files: 1,000,000 empty files in 1,000 folders, fresh folders, $rounds rounds"
  echo "       (load: the 1-minute load average when the command ended)"
  printf '%-6s %-14s %9s %9s %9s %6s\n' round tool seconds "peak MB" "CPU s" load
  mkdir -p runs
  tools=("vorntool" "bsdtar")
  [[ -n ${BEFORE:-} ]] && tools+=("before")
  for ((r = 1; r <= rounds; r++)); do
    # each tool goes first in turn
    order=("${tools[@]:r % ${#tools[@]}}" "${tools[@]:0:r % ${#tools[@]}}")
    for tool in "${order[@]}"; do
      out=runs/$tool-$r
      case $tool in
        vorntool) result=$(measure "$vorntool" x names.vmres -o "$out" -y) ;;
        before) result=$(measure "$BEFORE" x names.vmres -o "$out" -y) ;;
        bsdtar) mkdir -p "$out" && result=$(measure bsdtar -xf names.tar -C "$out") ;;
      esac
      printf '%-6s %-14s %9s %9s %9s %6s\n' $r $tool $result "$(cut -d' ' -f1 /proc/loadavg)"
    done
  done
fi

if want big; then
  tmpfs=${TMPFS:-/dev/shm}
  # x into memory needs the whole file's room there
  [[ -d $tmpfs && $(df -k --output=avail "$tmpfs" | tail -1) -gt 5000000 ]] || tmpfs=""
  echo "big: one chunked entry of 4.19 GB (64 KB chunks), $rounds rounds, test and x alternating"
  echo "     (load: the 1-minute load average when the command ended)"
  printf '%-6s %-6s %-14s %9s %9s %9s %6s\n' format round command seconds "peak MB" "CPU s" load
  mkdir -p runs
  row() { # format round label command...
    local format=$1 round=$2 label=$3
    shift 3
    printf '%-6s %-6s %-14s %9s %9s %9s %6s\n' $format $round "$label" $(measure "$@") "$(cut -d' ' -f1 /proc/loadavg)"
  }
  for format in zlib lzo; do
    [[ -f big-$format.vmres ]] || "$build/bench/make_big_entry" big-$format.vmres $format >/dev/null
    for ((r = 1; r <= rounds; r++)); do
      order=(test x)
      ((r % 2 == 0)) && order=(x test)
      for command in "${order[@]}"; do
        if [[ $command == test ]]; then
          row $format $r test "$vorntool" test big-$format.vmres
        else
          row $format $r x "$vorntool" x big-$format.vmres -o runs/big -y
          rm -rf runs/big
        fi
      done
      if [[ -n $tmpfs ]]; then
        row $format $r "x to tmpfs" "$vorntool" x big-$format.vmres -o "$tmpfs/vv-big" -y
        rm -rf "$tmpfs/vv-big"
      fi
      if [[ -n ${BEFORE:-} ]]; then
        row $format $r "x before" "$BEFORE" x big-$format.vmres -o runs/big -y
        rm -rf runs/big
      fi
    done
  done
fi
