#!/usr/bin/env bash
# Fuzzes the archive reader for a bounded time, starting from the seed corpus
# that the build wrote. Exits non-zero when the fuzzer finds a crash, a
# sanitizer report, a leak, a timeout or an out-of-memory input; the input
# that did it is kept in BUILD_DIR/fuzz-artifacts/.
#   bash tests/fuzz/run-fuzzer.sh BUILD_DIR SECONDS
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD_DIR SECONDS" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
seconds=$2
fuzzer="$build/tests/fuzz/fuzz_vorn"
seeds="$build/tests/fuzz/seeds"
artifacts="$build/fuzz-artifacts"

corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
cp "$seeds"/*.vorn "$corpus"/
mkdir -p "$artifacts"

status=0
"$fuzzer" "$corpus" \
  -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -max_len=32768 \
  -print_final_stats=1 -artifact_prefix="$artifacts/" || status=$?
if [ "$status" -ne 0 ]; then
  echo "fuzz_vorn found a problem (exit $status); see $artifacts/" >&2
  exit "$status"
fi
echo "fuzz_vorn: no crash in ${seconds}s"
