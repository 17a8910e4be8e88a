#!/usr/bin/env bash
# Builds everything and runs every test: the full test suite, the archive core
# again under AddressSanitizer + UndefinedBehaviorSanitizer, the viewers under
# the leak checker, a bounded libFuzzer run over the archive reader, then an
# install into a temporary folder and the Debian package, checked and linted.
set -euo pipefail
cd "$(dirname "$0")/.."
# Each stage's wall time is printed at the end, to see where the run's time goes.
timings=()
stage_name=""
stage_start=$SECONDS
stage() {
  [ -z "$stage_name" ] || timings+=("$(printf '%5ds  %s' $((SECONDS - stage_start)) "$stage_name")")
  stage_name=$1
  stage_start=$SECONDS
  [ -z "$stage_name" ] || echo "== $stage_name =="
}

stage "Packages"
bash scripts/deps.sh

jobs=$(nproc)
fuzz_seconds=${VV_FUZZ_SECONDS:-60}
# Line tables (-g1) instead of full debug information: stack traces, the
# sanitizers' reports included, keep their file:line, and the compiler and
# the linker have much less to write. The package is stripped either way.
line_tables=(-DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG"
             -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG"
             -DCMAKE_C_FLAGS_DEBUG="-g1" -DCMAKE_CXX_FLAGS_DEBUG="-g1")

stage "Build (all modules)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVV_WERROR=ON "${line_tables[@]}"
cmake --build build -j "$jobs"

# One sanitizer build serves three checks: the core's tests (label "core"),
# the viewers under the leak checker and the window's main test programs
# (with the folder tree's and the file list's, which make and drop nodes and
# rows as folders are reached and archives close).
stage "Sanitizer build"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVV_SANITIZE=ON -DVV_WERROR=ON "${line_tables[@]}"
cmake --build build-asan -j "$jobs" --target core_tests viewers_test \
  FormMainTest FormMainExtractTest FolderTreeTest FileListModelTest test_extract_gui
stage "Archive core, viewers and window under AddressSanitizer + UndefinedBehaviorSanitizer"
QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan -L core --output-on-failure -j "$jobs"
QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
  LSAN_OPTIONS="suppressions=$PWD/tests/viewers/lsan-plugin-buffers.supp:print_suppressions=0" \
  build-asan/tests/viewers/viewers_test --gtest_brief=1
for window_test in browser/FormMainTest browser/FormMainExtractTest browser/FolderTreeTest \
  browser/FileListModelTest extract/test_extract_gui; do
  QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
    "build-asan/tests/$window_test" --gtest_brief=1
done

stage "Fuzzer build (clang)"
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVV_FUZZ=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ "${line_tables[@]}"
cmake --build build-fuzz -j "$jobs"
# The bounded fuzz run keeps one core busy at low priority while the drag-out
# stages run: those mostly wait on windows and pointer events. The builds
# run before them, so the file managers keep the other core.
nice -n 10 bash tests/fuzz/run-fuzzer.sh build-fuzz "$fuzz_seconds" >build-fuzz/fuzz.log 2>&1 &
fuzz_pid=$!

stage "Drag-out onto real file managers (pcmanfm, Thunar, pcmanfm-qt)"
timeout 900 bash tests/extract/drag/filemanagers/run.sh build

stage "Copy and drag-out under Wayland (weston, wl-paste, pcmanfm-qt, Thunar)"
timeout 300 bash tests/extract/drag/wayland/run.sh build

stage "Fuzzing the archive reader for ${fuzz_seconds}s (beside the drag-out stages)"
fuzz_status=0
wait "$fuzz_pid" || fuzz_status=$?
tail -n 15 build-fuzz/fuzz.log
[ "$fuzz_status" -eq 0 ]

stage "Full test suite"
ctest --test-dir build --output-on-failure -j "$jobs"

stage "Install tree and Debian package"
bash tests/packaging/check-install.sh build

stage ""
echo "== Time per stage =="
printf '%s\n' "${timings[@]}"
echo "total ${SECONDS}s"
