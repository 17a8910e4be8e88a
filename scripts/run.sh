#!/usr/bin/env bash
# Builds VornViewer and starts it on the demo archive (and any paths given).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target vornviewer demo_archive
args=("$@")
[ ${#args[@]} -gt 0 ] || args=("$PWD/build/demo/demo.vmres")
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting VornViewer on a virtual X display (xvfb-run)."
  exec xvfb-run -a build/app/vornviewer "${args[@]}"
fi
exec build/app/vornviewer "${args[@]}"
