# Shared by the mount benchmarks (sourced): the build's vorntool, mounting on
# a folder below the work folder, unmounting on exit, a clock.
set -euo pipefail
shopt -s inherit_errexit

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD:-$here/build}
vorntool=$build/vorntool/vorntool
runs=${RUNS:-3}
mount_pid=
now() { date +%s.%N; }

# The mount point WORKDIR/mnt, unmounted when the script ends.
use_mount_folder() { # WORKDIR
  mnt=$1/mnt
  mkdir -p "$mnt"
  trap unmount EXIT
}
# `vorntool mount ARGUMENTS... $mnt` in the background, its messages to
# $mount_log; returns once the mount shows in /proc/mounts.
start_mount() { # ARGUMENTS...
  "$vorntool" mount "$@" "$mnt" 2>"${mount_log:-/dev/null}" &
  mount_pid=$!
  until grep -q " $mnt " /proc/mounts; do sleep 0.01; done
}
unmount() {
  if [[ -n $mount_pid ]]; then
    fusermount3 -u "$mnt" 2>/dev/null || fusermount3 -uz "$mnt"
    wait "$mount_pid" || true
    mount_pid=
  fi
}
