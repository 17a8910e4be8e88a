#!/usr/bin/env bash
# VornViewer as a native Wayland client (QT_QPA_PLATFORM=wayland) under
# weston: copy + paste read by wl-paste, and drag-out onto pcmanfm-qt running
# on Wayland too, by real pointer events. What lands is compared with
# `vorntool x` of the same archive (names, bytes, modification times) and the
# private temporary folder must be empty afterwards.
#   run.sh BUILD_DIR
# weston runs on its X11 back end inside a private Xvfb: its headless back
# end has no seat (no pointer, no keyboard, so no clipboard and no drags),
# while the X11 back end turns xdotool's pointer and keys on the Xvfb into
# Wayland input. Nothing shows on any real screen. When weston can't start
# the stage is skipped with a message. VV_WL_SHOTS=1 keeps screenshots
# (taken by weston's own screenshooter) in the work folder, VV_WL_KEEP=1
# keeps the work folder.
set -uo pipefail
build=$(cd "$1" && pwd)
viewer=$build/app/vornviewer
failures=0
passes=0
source "$(dirname "$0")/../stage-common.sh"

skip() {
  echo "SKIP Wayland stage: $*"
  exit 0
}
for tool in Xvfb weston weston-debug wl-paste xdotool pcmanfm-qt dbus-launch; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/deps.sh installs it)"
done
ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1 ||
  skip "Qt's Wayland platform plug-in (qt6-wayland) is not installed"

work=$(mktemp -d /tmp/vv-wl.XXXXXX)
cleanup() {
  for pid in ${viewer_pid:-} ${fm_pid:-} ${weston_pid:-} ${DBUS_SESSION_BUS_PID:-} ${xvfb_pid:-}; do
    kill "$pid" 2>/dev/null
  done
  wait 2>/dev/null
  [ -n "${VV_WL_KEEP:-}" ] || rm -rf "$work"
}
trap cleanup EXIT

# --- Xvfb, weston on it, a session bus --------------------------------------
exec 3>"$work/display"
# -noreset: weston must not be dropped by a server that starts over when an
# earlier client leaves (see the X11 drag-out script).
Xvfb -displayfd 3 -screen 0 1440x900x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
# Bounded generously: on a loaded machine the server can take seconds to start.
for _ in $(seq 300); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || skip "Xvfb did not start"
export DISPLAY=:$(head -1 "$work/display")
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export XDG_CACHE_HOME=$work/home/.cache XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION GNOME_DESKTOP_SESSION_ID KDE_FULL_SESSION
export WAYLAND_DISPLAY=wayland-vv
# --debug: the scene graph (where windows are) and the screenshooter.
(cd "$work" && exec weston --backend=x11-backend.so --socket=$WAYLAND_DISPLAY --use-pixman \
  --idle-time=0 --width=1400 --height=860 --debug) >"$work/weston.log" 2>&1 &
weston_pid=$!
for _ in $(seq 300); do
  weston-debug scene-graph 2>/dev/null | grep -q "panel for output" && break
  kill -0 $weston_pid 2>/dev/null || break
  sleep 0.1
done
weston-debug scene-graph 2>/dev/null | grep -q "panel for output" ||
  skip "weston did not start: $(tail -3 "$work/weston.log" | tr '\n' ' ')"
eval "$(dbus-launch --sh-syntax)"
# weston hears the pointer once it has entered its window.
xdotool mousemove 1430 890 sleep 0.1 mousemove 700 500

# --- the archives and what they hold ---------------------------------------
"$build/tests/extract/drag/make_drag_archives" "$work/arch" >/dev/null
for name in one three tree; do
  "$build/vorntool/vorntool" x "$work/arch/$name.vmres" -o "$work/ref/$name" >/dev/null
done
rm "$work/ref/three/file3.bin" # the three-file cases select three rows of four




shot() { # NAME
  [ -n "${VV_WL_SHOTS:-}" ] || return 0
  (cd "$work" && weston-screenshooter && mv wayland-screenshot-*.png "$1.png") 2>/dev/null
}

# Top-left corner of the window whose scene-graph line holds TEXT.
window_at() { # TEXT
  weston-debug scene-graph 2>/dev/null | grep -F -A1 "top-level window" | grep -F -A1 "$1" |
    sed -n -E 's/.*position: \((-?[0-9]+), (-?[0-9]+)\).*/\1 \2/p' | head -1
}

wait_window() { # TEXT -> "X Y"
  local at
  for _ in $(seq 100); do
    at=$(window_at "$1")
    [ -n "$at" ] && { echo "$at"; return 0; }
    sleep 0.1
  done
  return 1
}

# Moves a window by Super + drag (weston's own binding) to X,Y.
move_window() { # TEXT X Y
  local at x y
  at=$(wait_window "$1") || return 1
  read -r x y <<<"$at"
  xdotool mousemove $((x + 150)) $((y + 150)) keydown super mousedown 1 sleep 0.1 \
    mousemove $((x + 140)) $((y + 145)) sleep 0.05 mousemove $(($2 + 150)) $(($3 + 150)) sleep 0.1 \
    mouseup 1 keyup super
  sleep 0.2
}

start_viewer() { # ARCHIVE_NAME
  mkdir -p "$tmpdir"
  QT_QPA_PLATFORM=wayland TMPDIR=$tmpdir timeout 120 "$viewer" "$work/arch/$1.vmres" >>"$work/viewer.log" 2>&1 &
  viewer_pid=$!
  move_window "VornViewer - [$work/arch/$1.vmres]" 0 40 || return 1
  read -r view_x view_y <<<"$(window_at "VornViewer - ")"
  # Row 0 of the list, below the tool bar, the find row and the header.
  row_x=$((view_x + 215)) row_y=$((view_y + 193))
}

start_manager() { # pcmanfm-qt|thunar FOLDER
  case $1 in
    pcmanfm-qt) QT_QPA_PLATFORM=wayland timeout 60 pcmanfm-qt "$2" >>"$work/fm.log" 2>&1 & ;;
    thunar) GDK_BACKEND=wayland timeout 60 thunar "$2" >>"$work/fm.log" 2>&1 & ;;
  esac
  fm_pid=$!
  move_window "of $1" 730 40 || return 1
  read -r fm_x fm_y <<<"$(window_at "of $1")"
  drop_x=$((fm_x + 400)) drop_y=$((fm_y + 300))
}

stop_all() {
  kill ${viewer_pid:-} ${fm_pid:-} 2>/dev/null
  wait ${viewer_pid:-} ${fm_pid:-} 2>/dev/null
  viewer_pid= fm_pid=
  # Thunar stays on the session bus: end what is left of this run's.
  for pid in $(pgrep -x Thunar) $(pgrep -x thunar); do
    tr '\0' '\n' </proc/"$pid"/environ 2>/dev/null | grep -qx "XDG_RUNTIME_DIR=$XDG_RUNTIME_DIR" && kill "$pid"
  done
  sleep 0.3
}

select_rows() { # one | three
  xdotool mousemove $row_x $row_y click 1
  sleep 0.2
  case $1 in
    three) xdotool key shift+Down shift+Down ;;
    all) xdotool key ctrl+a ;;
  esac
  sleep 0.3
}

# Waits (at most SECONDS, 15 unless given) until TARGET holds every file of
# REFERENCE with
# all its bytes, answering a drop menu once when menu_answered is set
# empty; with VV_WL_CASES, tells how long that took from started_at.
wait_landed() { # TARGET REFERENCE [SECONDS]
  local want_files want_bytes
  want_files=$(find "$2" -type f | wc -l)
  want_bytes=$(bytes_below "$2")
  for _ in $(seq $((${3:-15} * 20))); do
    [ "$(find "$1" -type f | wc -l)" -ge "$want_files" ] && [ "$(bytes_below "$1")" -ge "$want_bytes" ] && break
    if [ -z "${menu_answered-x}" ] && weston-debug scene-graph 2>/dev/null | grep -q "role xdg_popup"; then
      xdotool key Down Return
      menu_answered=1
    fi
    sleep 0.05
  done
  [ -z "${VV_WL_CASES:-}" ] ||
    echo "TIME $(basename "$1"): $((($(date +%s%N) - started_at) / 1000000)) ms to the last byte in place"
  sleep 0.3
}

files_left() { # -> what is left in the temporary folder
  find "$tmpdir" -type f -printf '%P ' 2>/dev/null
}

# --- copy, pasted by wl-paste ----------------------------------------------
paste_case() {
  tmpdir=$work/tmp/paste
  rm -rf "$tmpdir"
  start_viewer three || { verdict paste "VornViewer did not show its window"; stop_all; return; }
  select_rows three
  xdotool key ctrl+c
  sleep 0.5
  local types uris copied expected folder
  types=$(timeout 10 wl-paste --list-types)
  if [ "$types" != $'text/uri-list\nx-special/gnome-copied-files' ]; then
    verdict "paste: offered types" "wl-paste lists: $(echo "$types" | tr '\n' ' ')"
    stop_all
    return
  fi
  verdict "paste: offered types" ok
  uris=$(timeout 20 wl-paste --no-newline -t text/uri-list | tr -d '\r')
  folder=$(dirname "$(echo "$uris" | head -1 | sed 's|^file://||')")
  expected=$(for f in file0.bin file1.bin file2.bin; do echo "file://$folder/$f"; done)
  if [ "$uris" != "$expected" ]; then
    verdict "paste: text/uri-list" "got: $(echo "$uris" | tr '\n' ' ')"
  elif [[ "$folder" != "$tmpdir"/* ]]; then
    verdict "paste: text/uri-list" "the files are not in the temporary folder: $folder"
  elif ! diff <(listing "$work/ref/three") <(listing "$folder") >"$work/diff.txt" ||
       ! diff -r "$work/ref/three" "$folder" >/dev/null; then
    verdict "paste: text/uri-list" "the files differ from the archive: $(head -c 400 "$work/diff.txt" | tr '\n' '|')"
  else
    verdict "paste: text/uri-list" ok
  fi
  copied=$(timeout 20 wl-paste --no-newline -t x-special/gnome-copied-files | tr -d '\r')
  if [ "$copied" = "copy"$'\n'"$expected" ]; then
    verdict "paste: x-special/gnome-copied-files" ok
  else
    verdict "paste: x-special/gnome-copied-files" "got: $(echo "$copied" | tr '\n' ' ')"
  fi
  shot paste
  # The copies go when the program ends (File > Exit, Alt+F4); wl-paste
  # took the keyboard focus for a moment, a click on the title gives it back.
  xdotool mousemove $((view_x + 300)) $((view_y + 14)) click 1 sleep 0.3 key alt+F4
  for _ in $(seq 50); do kill -0 "$viewer_pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$viewer_pid" 2>/dev/null; then
    verdict "paste: cleaned up at exit" "the program did not end on Alt+F4"
  elif [ -n "$(files_left)" ]; then
    verdict "paste: cleaned up at exit" "left in the temporary folder: $(files_left)"
  else
    verdict "paste: cleaned up at exit" ok
  fi
  stop_all
}

# --- drag-out onto pcmanfm-qt ----------------------------------------------
# MODE drop: released over pcmanfm-qt's folder; refused: moved over it, then
# released over weston's background, which takes no drops. (weston ignores
# Escape during a drag, so a drag can't be cancelled by a key there.)
drag_case() { # FILE_MANAGER CASE ARCHIVE SELECTION MODE
  local fm=$1 case="$1 $2" target=$work/drop/$1-$2
  shift
  tmpdir=$work/tmp/$fm-$1
  rm -rf "$target" "$tmpdir"
  mkdir -p "$target"
  start_manager "$fm" "$target" || { verdict "drag $case" "$fm did not show its window"; stop_all; return; }
  start_viewer "$2" || { verdict "drag $case" "VornViewer did not show its window"; stop_all; return; }
  select_rows "$3"
  xdotool mousemove $row_x $row_y mousedown 1 sleep 0.2
  for x in 4 10 20 40 100 200 400 600 800; do
    xdotool mousemove $((row_x + x)) $((row_y + (drop_y - row_y) * x / 800)) sleep 0.05
  done
  xdotool mousemove $drop_x $drop_y sleep 0.7 mousemove $((drop_x + 3)) $((drop_y + 2)) sleep 0.5
  if [ "$4" = refused ]; then
    xdotool mousemove $drop_x 700 sleep 0.2 mousemove 700 780 sleep 0.5 mouseup 1
    sleep 1.5
    shot "drag-${case/ /-}"
    if ! kill -0 "$viewer_pid" 2>/dev/null; then
      verdict "drag $case" "VornViewer ended"
    elif [ -n "$(ls -A "$target")" ]; then
      verdict "drag $case" "written into the target"
    elif [ -n "$(files_left)" ]; then
      verdict "drag $case" "written into the temporary folder: $(files_left)"
    else
      verdict "drag $case" ok
    fi
    stop_all
    return
  fi
  xdotool mouseup 1
  started_at=$(date +%s%N)
  # pcmanfm-qt may ask what to do with the drop: its menu's first item is
  # "Move here".
  local menu_answered=
  wait_landed "$target" "$work/ref/$2" "$wait_seconds"
  shot "drag-${case/ /-}"
  if ! diff <(listing "$work/ref/$2") <(listing "$target") >"$work/diff.txt"; then
    verdict "drag $case" "what landed differs from the archive: $(head -c 400 "$work/diff.txt" | tr '\n' '|')"
  elif ! diff -r "$work/ref/$2" "$target" >/dev/null; then
    verdict "drag $case" "bytes differ from the archive"
  elif [ -n "$(files_left)" ]; then
    verdict "drag $case" "left in the temporary folder: $(files_left)"
  else
    verdict "drag $case" ok
  fi
  stop_all
}

# Ctrl+C in the list, Ctrl+V in Thunar (GTK on Wayland).
thunar_paste_case() { # ARCHIVE SELECTION
  local target=$work/drop/thunar-paste-$1
  tmpdir=$work/tmp/thunar-paste-$1
  rm -rf "$target" "$tmpdir"
  mkdir -p "$target"
  start_manager thunar "$target" || { verdict "paste thunar $1" "Thunar did not show its window"; stop_all; return; }
  start_viewer "$1" || { verdict "paste thunar $1" "VornViewer did not show its window"; stop_all; return; }
  select_rows "$2"
  xdotool key ctrl+c sleep 0.3
  # weston's clipboard manager reads a new copy at once, which writes the
  # files (a paste meanwhile would get nothing); their progress window takes
  # the keyboard focus while it shows.
  local want
  want=$(find "$work/ref/$1" -type f | wc -l)
  for _ in $(seq 300); do
    [ "$(find "$tmpdir" -type f | wc -l)" -ge "$want" ] &&
      ! weston-debug scene-graph 2>/dev/null | grep -q "'Extracting' of vornviewer" && break
    sleep 0.1
  done
  xdotool mousemove $drop_x $drop_y click 1 sleep 0.3 key ctrl+v
  started_at=$(date +%s%N)
  wait_landed "$target" "$work/ref/$1" "$wait_seconds"
  shot "paste-thunar-$1"
  if ! diff <(listing "$work/ref/$1") <(listing "$target") >"$work/diff.txt" || ! diff -r "$work/ref/$1" "$target" >/dev/null; then
    verdict "paste thunar $1" "what was pasted differs from the archive: $(head -c 400 "$work/diff.txt" | tr '\n' '|')"
  else
    verdict "paste thunar $1" ok
  fi
  stop_all
}

# Thunar reads the list while the pointer passes over it and moves the files
# at the drop without asking again; the compositor tells the target and the
# source of the drop at the same moment, so the files can't be in place in
# time (it reports them missing). Whatever it does, nothing may be written
# half-way or left in the temporary folder.
thunar_case() {
  local target=$work/drop/thunar
  tmpdir=$work/tmp/thunar
  rm -rf "$target" "$tmpdir"
  mkdir -p "$target"
  start_manager thunar "$target" || { verdict "drag thunar" "Thunar did not show its window"; stop_all; return; }
  start_viewer three || { verdict "drag thunar" "VornViewer did not show its window"; stop_all; return; }
  select_rows three
  xdotool mousemove $row_x $row_y mousedown 1 sleep 0.2
  for x in 4 10 20 40 100 200 400 600 800; do
    xdotool mousemove $((row_x + x)) $((row_y + (drop_y - row_y) * x / 800)) sleep 0.05
  done
  xdotool mousemove $drop_x $drop_y sleep 0.7 mousemove $((drop_x + 3)) $((drop_y + 2)) sleep 0.5 mouseup 1
  sleep 2
  shot drag-thunar
  if ! kill -0 "$viewer_pid" 2>/dev/null; then
    verdict "drag thunar" "VornViewer ended"
  elif [ -n "$(ls -A "$target")" ] && ! diff -r "$work/ref/three" "$target" >/dev/null; then
    verdict "drag thunar" "a part of the files landed: $(ls "$target" | tr '\n' ' ')"
  elif [ -n "$(files_left)" ]; then
    verdict "drag thunar" "left in the temporary folder: $(files_left)"
  else
    verdict "drag thunar (nothing half-written)" ok
  fi
  stop_all
}

# VV_WL_CASES="drag:many paste:many drag:big paste:big": only these large
# cases, timed (not part of the stage). A Qt program on Wayland waits one
# second at most for dropped data, so pcmanfm-qt takes a drag only when the
# files are written within that second (the machine's load decides for
# 2,000 files). Under weston the copies are written when the compositor's
# clipboard manager reads them at Ctrl+C, before the paste; when that read
# takes long, weston may put its own copy (text/uri-list alone) in place of
# the program's, and Thunar, which pastes only GNOME's list, does nothing.
wait_seconds=15
if [ -n "${VV_WL_CASES:-}" ]; then
  wait_seconds=60
  for name in many big; do
    "$build/vorntool/vorntool" x "$work/arch/$name.vmres" -o "$work/ref/$name" >/dev/null
  done
  for name in many big; do
    started_at=$(date +%s%N)
    "$build/vorntool/vorntool" x "$work/arch/$name.vmres" -o "$work/vorntool-$name" >/dev/null
    echo "TIME vorntool x $name: $((($(date +%s%N) - started_at) / 1000000)) ms"
  done
  for case in $VV_WL_CASES; do
    case $case in
      drag:*) drag_case pcmanfm-qt "${case#drag:}" "${case#drag:}" all drop ;;
      paste:*) thunar_paste_case "${case#paste:}" all ;;
    esac
  done
  echo "$passes passed, $failures failed"
  [ "$failures" -eq 0 ]
  exit
fi

twice paste_case
command -v thunar >/dev/null && twice thunar_paste_case three three
twice drag_case pcmanfm-qt one one one drop
twice drag_case pcmanfm-qt three three three drop
twice drag_case pcmanfm-qt tree tree one drop
twice drag_case pcmanfm-qt refused three three refused
command -v thunar >/dev/null && twice thunar_case

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
