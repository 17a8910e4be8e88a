#!/usr/bin/env bash
# Drags entries out of VornViewer onto real file managers (pcmanfm, Thunar,
# pcmanfm-qt) with real pointer events (xdotool) under Xvfb, openbox and a
# D-Bus session, and checks what lands against `vorntool x` of the same
# archive: names, bytes and modification times; the private temporary folder
# must be empty afterwards. Also copy + paste, xdg-open on an associated
# archive in xdg-open's generic mode, and "Open with Default Application"
# through the real xdg-open. A release soon after arriving over the file
# manager is judged by what the file manager had answered (Qt's XDND log):
# accepted, the files land whole; refused, nothing is written anywhere.
#   run.sh BUILD_DIR [FILE_MANAGER ...]
# Every wait is bounded; the whole run takes a few minutes at most.
set -uo pipefail
build=$(cd "$1" && pwd); shift
managers=("$@")
[ ${#managers[@]} -gt 0 ] || managers=(pcmanfm thunar pcmanfm-qt)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/vv-fm.XXXXXX)
viewer=$build/app/vornviewer
failures=0
passes=0
source "$(dirname "$0")/../stage-common.sh"

cleanup() {
  for pid in ${viewer_pid:-} ${fm_pid:-} ${wm_pid:-} ${DBUS_SESSION_BUS_PID:-} ${xvfb_pid:-}; do
    kill "$pid" 2>/dev/null
  done
  wait 2>/dev/null
  [ -n "${VV_FM_KEEP:-}" ] || rm -rf "$work"
}
trap cleanup EXIT

# --- the desktop: a free display, a window manager, a session bus ---------
exec 3>"$work/display"
# -noreset: by default the server starts over whenever its last client
# leaves, and a client that connects just then (openbox right after
# dbus-launch's own connection closed) is dropped and fails to open the
# display. Under load that happened in about one start of ten.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
# Bounded generously: on a loaded machine the server can take seconds to start.
for _ in $(seq 300); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "FAIL Xvfb did not start: $(tail -3 "$work/xvfb.log" | tr '\n' ' ')"; exit 1; }
export DISPLAY=:$(head -1 "$work/display")
eval "$(dbus-launch --sh-syntax)"
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export XDG_CACHE_HOME=$work/home/.cache XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION GNOME_DESKTOP_SESSION_ID KDE_FULL_SESSION
openbox >"$work/openbox.log" 2>&1 &
wm_pid=$!
# The window manager is up once it has named its check window on the root.
wm_up() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; }
for _ in $(seq 300); do wm_up && break; sleep 0.1; done
# Without it every case fails for reasons of its own: say so once, with its log.
wm_up || { echo "FAIL openbox did not start: $(tail -5 "$work/openbox.log" | tr '\n' ' ')"; exit 1; }
sleep 1

# --- the archives and what they hold ---------------------------------------
"$build/tests/extract/drag/make_drag_archives" "$work/arch" >/dev/null
for archive in "$work"/arch/*.vmres; do
  name=$(basename "$archive" .vmres)
  "$build/vorntool/vorntool" x "$archive" -o "$work/ref/$name" >/dev/null
done
# The three-file case selects the first three rows of four; the direct-save
# source offers all four.
cp -a "$work/ref/three" "$work/ref/three4"
rm "$work/ref/three/file3.bin"

wait_window() { # NAME_PATTERN -> window id
  local id
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

start_viewer() { # ARCHIVE_NAME [LOG]
  mkdir -p "$tmpdir"
  # Qt's XDND log tells how a drag ended: "sending drop to target" when the
  # target's last XdndStatus accepted, "dnd was canceled" when it refused.
  QT_LOGGING_RULES=qt.qpa.xdnd.debug=true TMPDIR=$tmpdir timeout 120 "$viewer" "$work/arch/$1.vmres" \
    >>"${2:-$work/viewer.log}" 2>&1 &
  viewer_pid=$!
  viewer_win=$(wait_window "VornViewer - ") || return 1
  xdotool windowmove "$viewer_win" 0 0 windowsize "$viewer_win" 700 500
  sleep 0.5
}

start_manager() { # FILE_MANAGER FOLDER
  local name
  name=$(basename "$2")
  case $1 in
    pcmanfm) timeout 120 pcmanfm --no-desktop "$2" >>"$work/fm.log" 2>&1 & ;;
    thunar) timeout 120 thunar "$2" >>"$work/fm.log" 2>&1 & ;;
    pcmanfm-qt) timeout 120 pcmanfm-qt "$2" >>"$work/fm.log" 2>&1 & ;;
  esac
  fm_pid=$!
  fm_win=$(wait_window "^$name") || return 1
  xdotool windowmove "$fm_win" 720 0 windowsize "$fm_win" 540 500
  sleep 1
}

stop_all() {
  kill ${viewer_pid:-} ${fm_pid:-} 2>/dev/null
  wait ${viewer_pid:-} ${fm_pid:-} 2>/dev/null
  viewer_pid= fm_pid=
  # Thunar keeps a daemon-like instance on the bus: end what is left.
  for pid in $(pgrep -x -u "$(id -u)" Thunar) $(pgrep -x -u "$(id -u)" thunar); do
    [ "$(tr '\0' '\n' </proc/"$pid"/environ 2>/dev/null | grep -c "^DISPLAY=$DISPLAY\$")" = 1 ] && kill "$pid"
  done
  sleep 0.3
}

# Row 0 of the list with the window at 0,0 (below the tool bar, the find
# row and the header); the file manager's empty area.
row_x=216 row_y=184 drop_x=1000 drop_y=380

select_rows() { # HOW: one | three | all
  xdotool mousemove $row_x $row_y click 1
  sleep 0.2
  case $1 in
    three) xdotool key shift+Down shift+Down ;;
    all) xdotool key ctrl+a ;;
  esac
  sleep 0.3
}

drag_to_manager() { # MODE: drop | quick | jump | nudge | escape
  xdotool mousemove $row_x $row_y mousedown 1
  if [ "$1" = jump ] || [ "$1" = nudge ]; then
    # Straight onto the file manager, released 0.1 s later: without moving
    # again (the target hears of the pointer there once), or after two small
    # moves 50 ms apart (by then the file managers have accepted).
    xdotool mousemove $((row_x + 20)) $row_y mousemove 600 300 mousemove $drop_x $drop_y
    if [ "$1" = nudge ]; then
      xdotool sleep 0.05 mousemove $((drop_x + 4)) $drop_y sleep 0.05 mousemove $((drop_x + 8)) $drop_y
    fi
    sleep 0.1
    xdotool mouseup 1
    sleep 0.5
    return
  fi
  if [ "$1" = quick ]; then
    xdotool mousemove $((row_x + 20)) $row_y mousemove 600 300 mousemove $drop_x $drop_y
    sleep 0.3
    xdotool mousemove $((drop_x + 4)) $drop_y mouseup 1
    sleep 0.5
    return
  fi
  sleep 0.2
  for x in 220 226 234 250 300 400 500 600 700 800 900 950 990 1000; do
    xdotool mousemove "$x" $drop_y
    sleep 0.05
  done
  sleep 0.7
  xdotool mousemove $((drop_x + 3)) $((drop_y + 2))
  sleep 0.5
  if [ "$1" = escape ]; then
    xdotool key Escape
    sleep 0.3
  fi
  released_at=$(date +%s%N)
  xdotool mouseup 1
}

# Waits until the target holds as many files as the reference, then gives
# the writer a moment to finish the last one.
wait_landed() { # TARGET REFERENCE SECONDS
  local want
  want=$(find "$2" -type f | wc -l)
  for _ in $(seq $(($3 * 10))); do
    [ "$(find "$1" -type f | wc -l)" -ge "$want" ] && [ -z "$(find "$1" -name '.vv*' 2>/dev/null)" ] && break
    sleep 0.1
  done
  sleep 1
}

compare_landed() { # CASE TARGET REFERENCE
  if ! diff <(listing "$3") <(listing "$2") >"$work/diff.txt"; then
    verdict "$1" "what landed differs from the archive: $(head -c 600 "$work/diff.txt" | tr '\n' '|')"
  elif ! diff -r "$3" "$2" >/dev/null; then
    verdict "$1" "bytes differ from the archive"
  elif [ -n "$(ls -A "$tmpdir/vornviewer-${USER:-user}" 2>/dev/null)" ]; then
    verdict "$1" "left in the temporary folder: $(ls -A "$tmpdir/vornviewer-${USER:-user}" | head -5 | tr '\n' ' ')"
  else
    verdict "$1" ok
  fi
}

# How a drag ended, from the viewer's XDND log: dropped (the target had
# accepted, XdndDrop went out), refused (XdndLeave) or unknown.
drag_outcome() { # LOG
  if grep -q "sending drop to target" "$1"; then echo dropped
  elif grep -q "dnd was canceled" "$1"; then echo refused
  else echo unknown; fi
}

# A release soon after arriving: the file manager may not have accepted yet.
# Whichever it answered decides: a drop it accepted lands whole like any
# other; a refused one ends the drag with nothing written anywhere.
quick_verdict() { # FILE_MANAGER CASE TARGET REFERENCE SECONDS LOG
  local private=$tmpdir/vornviewer-${USER:-user} outcome
  # A drop the target accepted goes out once the files are written.
  for _ in $(seq $(($5 * 10))); do
    outcome=$(drag_outcome "$6")
    [ "$outcome" != unknown ] && break
    sleep 0.1
  done
  sleep 2
  case $outcome in
    dropped)
      echo "NOTE $1 $2: $1 had accepted; the drop went out"
      wait_landed "$3" "$4" "$5"
      compare_landed "$1 $2" "$3" "$4" ;;
    refused)
      echo "NOTE $1 $2: $1 had not accepted when the button came up; the drag ended refused"
      if [ -n "$(ls -A "$3")" ]; then
        verdict "$1 $2" "written into the target after a refused drop"
      elif [ -n "$(ls -A "$private" 2>/dev/null)" ]; then
        verdict "$1 $2" "left in the temporary folder after a refused drop: $(ls -A "$private" | head -3 | tr '\n' ' ')"
      elif ! kill -0 "$viewer_pid" 2>/dev/null; then
        verdict "$1 $2" "VornViewer ended during the quick release"
      else
        verdict "$1 $2" ok
      fi ;;
    *) verdict "$1 $2" "the drag's end is not in the XDND log: $(tail -c 300 "$6" | tr '\n' '|')" ;;
  esac
}

drag_case() { # FILE_MANAGER CASE ARCHIVE SELECTION MODE SECONDS
  local fm=$1 case=$2 archive=$3 target log
  # VV_FM_CASES="one three" runs only those cases.
  [ -z "${VV_FM_CASES:-}" ] || [[ " $VV_FM_CASES " == *" $case "* ]] || return 0
  target=$work/drop/$fm-$case
  tmpdir=$work/tmp/$fm-$case
  log=$work/viewer-$fm-$case.log
  rm -rf "$target" "$tmpdir" "$log"
  mkdir -p "$target"
  start_viewer "$archive" "$log" || { verdict "$fm $case" "VornViewer did not show its window"; stop_all; return; }
  start_manager "$fm" "$target" || { verdict "$fm $case" "$fm did not show its window"; stop_all; return; }
  select_rows "$4"
  drag_to_manager "$5"
  if [ "$5" = quick ] || [ "$5" = jump ] || [ "$5" = nudge ]; then
    quick_verdict "$fm" "$case" "$target" "$work/ref/$archive" "$6" "$log"
  elif [ "$5" = escape ]; then
    sleep 2
    if [ -n "$(ls -A "$target")" ]; then
      verdict "$fm $case" "written into the target after Escape"
    elif [ -n "$(ls -A "$tmpdir/vornviewer-${USER:-user}" 2>/dev/null)" ]; then
      verdict "$fm $case" "written into the temporary folder after Escape"
    else
      verdict "$fm $case" ok
    fi
  else
    wait_landed "$target" "$work/ref/$archive" "$6"
    compare_landed "$fm $case" "$target" "$work/ref/$archive"
    # The list takes the next click at once after a drag.
    if [ "$case" = three ]; then
      xdotool mousemove 300 $((row_y + 54)) click 1
      sleep 0.5
      if import -window root -crop 1x1+450+$row_y txt:- | tail -1 | grep -qi white; then
        verdict "$fm first-click-after-drag" ok
      else
        verdict "$fm first-click-after-drag" "the first click after the drag did not select"
      fi
    fi
  fi
  [ -n "${VV_FM_SHOTS:-}" ] && import -window root "$work/$fm-$case.png"
  stop_all
}

# Ctrl+C in the list, Ctrl+V in the file manager; the copies in the
# temporary folder go when the program ends.
paste_case() { # FILE_MANAGER
  local fm=$1 target
  [ -z "${VV_FM_CASES:-}" ] || [[ " $VV_FM_CASES " == *" paste "* ]] || return 0
  target=$work/drop/$fm-paste
  tmpdir=$work/tmp/$fm-paste
  rm -rf "$target" "$tmpdir"
  mkdir -p "$target"
  start_viewer three || { verdict "$fm paste" "VornViewer did not show its window"; stop_all; return; }
  start_manager "$fm" "$target" || { verdict "$fm paste" "$fm did not show its window"; stop_all; return; }
  select_rows three
  xdotool key ctrl+c
  sleep 0.3
  # pcmanfm-qt reads the clipboard as soon as it changes (to enable its
  # Paste), which writes the files; the others read it at the paste.
  if [ "$fm" != pcmanfm-qt ] && [ -n "$(find "$tmpdir" -type f)" ]; then
    verdict "$fm paste" "files written at Ctrl+C, before any paste"
    stop_all
    return
  fi
  xdotool mousemove $drop_x $drop_y click 1
  sleep 0.3
  xdotool key ctrl+v
  wait_landed "$target" "$work/ref/three" 20
  if ! diff <(listing "$work/ref/three") <(listing "$target") >"$work/diff.txt" || ! diff -r "$work/ref/three" "$target" >/dev/null; then
    verdict "$fm paste" "what was pasted differs from the archive: $(head -c 400 "$work/diff.txt" | tr '\n' '|')"
  else
    xdotool windowactivate --sync "$viewer_win" key alt+F4
    for _ in $(seq 50); do kill -0 "$viewer_pid" 2>/dev/null || break; sleep 0.1; done
    if [ -n "$(find "$tmpdir" -type f)" ]; then
      verdict "$fm paste" "copies left in the temporary folder after the program ended"
    else
      verdict "$fm paste" ok
    fi
  fi
  stop_all
}

# Search results from two archives and several folders, found with the find
# bar and dragged out together: each file lands by its own name.
results_case() { # FILE_MANAGER
  local fm=$1 target ref=$work/ref/results
  [ -z "${VV_FM_CASES:-}" ] || [[ " $VV_FM_CASES " == *" results "* ]] || return 0
  target=$work/drop/$fm-results
  tmpdir=$work/tmp/$fm-results
  rm -rf "$target" "$tmpdir" "$ref"
  mkdir -p "$target" "$ref" "$tmpdir"
  # Every file of three.vmres (its own reference leaves one out) and one of tree.vmres.
  [ -d "$work/three-all" ] || "$build/vorntool/vorntool" x "$work/arch/three.vmres" -o "$work/three-all" >/dev/null
  cp -p "$work/ref/tree/maps/sub dir/deep/b.bin" "$work/three-all/"file*.bin "$ref/"
  TMPDIR=$tmpdir timeout 120 "$viewer" "$work/arch/tree.vmres" "$work/arch/three.vmres" >>"$work/viewer.log" 2>&1 &
  viewer_pid=$!
  viewer_win=$(wait_window "VornViewer - ") || { verdict "$fm results" "VornViewer did not show its window"; stop_all; return; }
  xdotool windowmove "$viewer_win" 0 0 windowsize "$viewer_win" 700 500
  sleep 0.5
  start_manager "$fm" "$target" || { verdict "$fm results" "$fm did not show its window"; stop_all; return; }
  xdotool windowactivate --sync "$viewer_win" key ctrl+f
  xdotool type --delay 50 ".bin"
  sleep 1
  select_rows all
  drag_to_manager drop
  wait_landed "$target" "$ref" 20
  compare_landed "$fm results" "$target" "$ref"
  [ -n "${VV_FM_SHOTS:-}" ] && import -window root "$work/$fm-results.png"
  stop_all
}

# Two search results of one name (the same file in two archives) dragged out
# together: both reach pcmanfm under their own name, and it asks before the
# second replaces the first; answered with a new name, both land.
same_name_case() { # FILE_MANAGER
  local fm=$1 target ref=$work/ref/tree/maps/sub\ dir/deep/b.bin question
  [ "$fm" = pcmanfm ] || return 0 # the answer is typed into pcmanfm's own question
  [ -z "${VV_FM_CASES:-}" ] || [[ " $VV_FM_CASES " == *" same-name "* ]] || return 0
  target=$work/drop/$fm-same-name
  tmpdir=$work/tmp/$fm-same-name
  rm -rf "$target" "$tmpdir"
  mkdir -p "$target" "$tmpdir" "$work/same"
  cp "$work/arch/tree.vmres" "$work/same/tree2.vmres"
  TMPDIR=$tmpdir timeout 120 "$viewer" "$work/arch/tree.vmres" "$work/same/tree2.vmres" >>"$work/viewer.log" 2>&1 &
  viewer_pid=$!
  viewer_win=$(wait_window "VornViewer - ") || { verdict "$fm same-name" "VornViewer did not show its window"; stop_all; return; }
  xdotool windowmove "$viewer_win" 0 0 windowsize "$viewer_win" 700 500
  sleep 0.5
  start_manager "$fm" "$target" || { verdict "$fm same-name" "$fm did not show its window"; stop_all; return; }
  xdotool windowactivate --sync "$viewer_win" key ctrl+f
  xdotool type --delay 50 "b.bin"
  sleep 1
  select_rows all
  drag_to_manager drop
  if ! question=$(wait_window "^Confirm File Replacing"); then
    verdict "$fm same-name" "no question before the second b.bin; the target holds: $(ls -A "$target" | tr '\n' ' ')"
  else
    xdotool windowactivate --sync "$question" key ctrl+a type "b (2).bin"
    xdotool key alt+r # Rename
    for _ in $(seq 100); do [ -f "$target/b (2).bin" ] && break; sleep 0.1; done
    sleep 1
    if ! cmp -s "$ref" "$target/b.bin" || ! cmp -s "$ref" "$target/b (2).bin"; then
      verdict "$fm same-name" "not both files landed whole: $(ls -A "$target" | tr '\n' ' ')"
    elif [ -n "$(find "$tmpdir" -type f)" ]; then
      verdict "$fm same-name" "left in the temporary folder: $(find "$tmpdir" -type f | head -3 | tr '\n' ' ')"
    else
      verdict "$fm same-name" ok
    fi
  fi
  [ -n "${VV_FM_SHOTS:-}" ] && import -window root "$work/$fm-same-name.png"
  stop_all
}

# xdg-open without a desktop session (its generic mode) on an archive
# associated through the program's own registration.
xdg_open_case() {
  [ -z "${VV_FM_CASES:-}" ] || [[ " $VV_FM_CASES " == *" xdg-open "* ]] || return 0
  tmpdir=$work/tmp/xdg-open
  mkdir -p "$tmpdir"
  "$build/tests/extract/drag/associate_file_types" "$XDG_DATA_HOME" "$viewer"
  TMPDIR=$tmpdir timeout 60 xdg-open "$work/arch/one.vmres" >"$work/xdg-open.log" 2>&1 &
  local win
  if win=$(wait_window "VornViewer - \\[$work/arch/one.vmres\\]"); then
    verdict "xdg-open (generic mode)" ok
    kill "$(xdotool getwindowpid "$win")" 2>/dev/null
  else
    verdict "xdg-open (generic mode)" "no VornViewer window for the archive: $(head -c 300 "$work/xdg-open.log")"
  fi
  sleep 0.3
}

# "Open with Default Application" from the list's pop-up menu, through the
# real xdg-open (generic mode) to a recording application registered as the
# default for the entry's type by a .desktop file and mimeapps.list. The
# application must see the entry's own name, bytes and time; the copy goes
# when the program ends.
open_with_case() {
  [ -z "${VV_FM_CASES:-}" ] || [[ " $VV_FM_CASES " == *" open-with "* ]] || return 0
  local ref seen type private
  tmpdir=$work/tmp/open-with
  seen=$work/open-with-seen
  rm -rf "$tmpdir" "$seen"
  mkdir -p "$seen" "$XDG_DATA_HOME/applications"
  ref=$(find "$work/ref/one" -type f | head -1)
  type=$(xdg-mime query filetype "$ref" | sed 's/;.*//')
  cat >"$work/record-open" <<SCRIPT
#!/bin/sh
printf '%s' "\$1" >"$seen/argument"
cp -p "\$1" "$seen/bytes"
SCRIPT
  chmod +x "$work/record-open"
  printf '[Desktop Entry]\nType=Application\nName=Record\nExec=%s %%f\nMimeType=%s;\n' \
    "$work/record-open" "$type" >"$XDG_DATA_HOME/applications/vv-record.desktop"
  printf '[Default Applications]\n%s=vv-record.desktop\n' "$type" >"$XDG_CONFIG_HOME/mimeapps.list"
  start_viewer one || { verdict "open-with" "VornViewer did not show its window"; stop_all; return; }
  select_rows one
  xdotool mousemove $row_x $row_y click 3
  sleep 0.5
  # The pop-up opens at the pointer: the heading, View, then Open with
  # Default Application.
  xdotool mousemove $((row_x + 60)) $((row_y + 54))
  sleep 0.3
  [ -n "${VV_FM_SHOTS:-}" ] && import -window root "$work/open-with-menu.png"
  xdotool click 1
  for _ in $(seq 100); do [ -s "$seen/argument" ] && [ -f "$seen/bytes" ] && break; sleep 0.1; done
  private=$tmpdir/vornviewer-${USER:-user}
  if [ ! -s "$seen/argument" ]; then
    verdict "open-with" "the default application was not started"
  elif [ "$(basename "$(cat "$seen/argument")")" != "$(basename "$ref")" ] ||
       [[ "$(cat "$seen/argument")" != "$private"/open-* ]]; then
    verdict "open-with" "the application got $(cat "$seen/argument")"
  elif ! cmp -s "$ref" "$seen/bytes" || [ "$(stat -c %Y "$ref")" != "$(stat -c %Y "$seen/bytes")" ]; then
    verdict "open-with" "the application saw other bytes or another time"
  else
    xdotool windowactivate --sync "$viewer_win" key alt+F4
    for _ in $(seq 50); do kill -0 "$viewer_pid" 2>/dev/null || break; sleep 0.1; done
    if [ -n "$(ls -A "$private" 2>/dev/null)" ]; then
      verdict "open-with" "left in the temporary folder after the program ended: $(ls -A "$private")"
    else
      verdict "open-with" ok
    fi
  fi
  rm -f "$XDG_CONFIG_HOME/mimeapps.list" "$XDG_DATA_HOME/applications/vv-record.desktop"
  stop_all
}

# Direct save (XdndDirectSave0). A source offering it alone, made of the
# program's own drag-out classes, is dragged onto the file manager: the
# entries must land in its folder with their bytes and times. Then the same
# source offers the URL list as well, as the program does, and the formats
# the file manager asks for are printed: Thunar and pcmanfm take the URL
# list then, pcmanfm-qt takes direct save (so the program's drags onto
# pcmanfm-qt above are direct saves).
xds_case() { # FILE_MANAGER
  local fm=$1 target log
  [ -z "${VV_FM_CASES:-}" ] || [[ " $VV_FM_CASES " == *" xds "* ]] || return 0
  target=$work/drop/$fm-xds
  tmpdir=$work/tmp/$fm-xds
  log=$work/xds-$fm.log
  rm -rf "$target" "$tmpdir" "$log"
  mkdir -p "$target" "$tmpdir"
  start_source three "" "$log" || { verdict "$fm direct save" "the source did not show its window"; stop_all; return; }
  start_manager "$fm" "$target" || { verdict "$fm direct save" "$fm did not show its window"; stop_all; return; }
  drag_to_manager drop
  wait_landed "$target" "$work/ref/three4" 20
  if ! grep -q "^asked for XdndDirectSave0" "$log"; then
    verdict "$fm direct save" "not asked by direct save: $(tr '\n' ' ' <"$log")"
  else
    compare_landed "$fm direct save" "$target" "$work/ref/three4"
  fi
  stop_all
  rm -rf "$target" && mkdir -p "$target"
  start_source three --with-uri-list "$log.both" && start_manager "$fm" "$target" && drag_to_manager drop && sleep 2
  echo "NOTE $fm, offered direct save and the URL list: $(grep '^asked for' "$log.both" | sort -u | tr '\n' ' ')"
  stop_all
}

# The direct-save source on an archive, in the viewer's place.
start_source() { # ARCHIVE OPTION LOG
  TMPDIR=$tmpdir timeout 120 "$build/tests/extract/drag/direct_save_source" "$work/arch/$1.vmres" $2 >"$3" 2>&1 &
  viewer_pid=$!
  viewer_win=$(wait_window "^direct save source") || return 1
  xdotool windowmove "$viewer_win" 0 0 windowsize "$viewer_win" 700 500
  sleep 0.5
}

# VV_FM_BENCH=1: instead of the tests, the time from the release to the
# last byte in place for 2,000 files / 100 MB and for one 500 MB file,
# against `vorntool x` of the same archive into an empty folder.
bench_case() { # FILE_MANAGER ARCHIVE
  local fm=$1 archive=$2 target want_files want_bytes start end
  target=$work/drop/$fm-$archive
  tmpdir=$work/tmp/$fm-$archive
  mkdir -p "$target"
  want_files=$(find "$work/ref/$archive" -type f | wc -l)
  want_bytes=$(bytes_below "$work/ref/$archive")
  start_viewer "$archive" && start_manager "$fm" "$target" || { echo "BENCH $fm $archive: no window"; stop_all; return; }
  select_rows all
  drag_to_manager drop
  for _ in $(seq 3000); do
    [ "$(find "$target" -type f | wc -l)" -ge "$want_files" ] && [ "$(bytes_below "$target")" -ge "$want_bytes" ] && break
    sleep 0.02
  done
  end=$(date +%s%N)
  echo "BENCH drag onto $fm, $archive: $(( (end - released_at) / 1000000 )) ms from the release to the last byte in place"
  stop_all
  rm -rf "$target" "$tmpdir"
  sync
  start=$(date +%s%N)
  "$build/vorntool/vorntool" x "$work/arch/$archive.vmres" -o "$work/vorntool-$archive" >/dev/null
  end=$(date +%s%N)
  echo "BENCH vorntool x, $archive: $(( (end - start) / 1000000 )) ms"
  rm -rf "$work/vorntool-$archive"
}
if [ -n "${VV_FM_BENCH:-}" ]; then
  "$build/tests/extract/drag/make_drag_archives" "$work/arch" --bench >/dev/null
  for name in bench_many bench_huge; do
    "$build/vorntool/vorntool" x "$work/arch/$name.vmres" -o "$work/ref/$name" >/dev/null
  done
  for fm in "${managers[@]}"; do
    bench_case "$fm" bench_many
    bench_case "$fm" bench_huge
  done
  exit 0
fi

twice xdg_open_case
twice open_with_case
for fm in "${managers[@]}"; do
  command -v "$fm" >/dev/null || { verdict "$fm" "not installed"; continue; }
  twice paste_case "$fm"
  twice xds_case "$fm"
  twice drag_case "$fm" one one one drop 20
  twice drag_case "$fm" three three three drop 20
  twice drag_case "$fm" tree tree one drop 20
  twice drag_case "$fm" many many all drop 60
  twice drag_case "$fm" big big one drop 60
  twice drag_case "$fm" quick many all quick 60
  twice drag_case "$fm" quick-folder folder one jump 60
  twice drag_case "$fm" quick-folder-nudged folder one nudge 60
  twice drag_case "$fm" escape many all escape 10
  twice results_case "$fm"
  twice same_name_case "$fm"
done

kill -0 "$wm_pid" 2>/dev/null || echo "NOTE openbox ended during the run: $(tail -5 "$work/openbox.log" | tr '\n' ' ')"
echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
