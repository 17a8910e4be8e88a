# Shared by the drag-out stages (real file managers on X11 and on Wayland):
# how a case reports, runs again once, and lists what landed. The sourcing
# script sets passes=0 and failures=0 first.

listing() { # FOLDER: name, size and time of every file, and the folders
  (cd "$1" && find . -mindepth 1 \( -type f -printf 'f %P %s %T@\n' \) -o \( -type d -printf 'd %P\n' \)) | sort
}

bytes_below() { find "$1" -type f -printf '%s\n' | awk '{ s += $1 } END { print s + 0 }'; }

verdict() { # CASE_NAME OK_OR_MESSAGE
  if [ "$2" = ok ]; then
    echo "PASS $1"; passes=$((passes + 1))
  else
    echo "FAIL $1: $2"; failures=$((failures + 1)); case_failed=1
  fi
}

# Runs a case again once when it failed: a loaded machine can be slow to
# map a window or to hand an event on, and only a repeated failure counts.
twice() { # CASE_FUNCTION ARGUMENTS...
  local passes_before=$passes failures_before=$failures
  case_failed=0
  "$@"
  [ "$case_failed" = 1 ] || return 0
  echo "(trying once more: $*)"
  passes=$passes_before failures=$failures_before case_failed=0
  "$@"
}
