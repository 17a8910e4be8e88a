#!/usr/bin/env bash
# Installs a built tree into a temporary DESTDIR and checks it as a desktop
# would see it, then builds the Debian package and checks and lints it.
#   bash tests/packaging/check-install.sh [BUILD_DIR]
set -euo pipefail
build=$(realpath "${1:-build}")
work=$(mktemp -d)
viewer_pid= xvfb_pid=
cleanup() {
  [ -z "$viewer_pid" ] || kill "$viewer_pid" 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }
root=$work/root
usr=$root/usr
demo=$build/demo/demo.vmres

echo "-- installing into $root"
DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
for f in bin/vornviewer bin/vorntool lib/vornviewer/plugins/wavinfo.so \
         share/applications/vornviewer.desktop share/mime/packages/vornviewer.xml \
         share/metainfo/io.github.vornviewer.VornViewer.metainfo.xml \
         share/icons/hicolor/scalable/apps/vornviewer.svg share/icons/hicolor/48x48/apps/vornviewer.png \
         share/icons/hicolor/256x256/apps/vornviewer.png share/man/man1/vornviewer.1.gz \
         share/man/man1/vorntool.1.gz share/bash-completion/completions/vorntool; do
  [ -f "$usr/$f" ] || fail "not installed: $f"
done

echo "-- the programs and the library they share"
libdir=$(dirname "$(find "$usr/lib" -name libvorn.so.1 -print -quit)")
[ -f "$libdir/libvorn.so.1" ] || fail "libvorn.so.1 not installed"
# Installed into a temporary root, the library is not where the loader looks.
export LD_LIBRARY_PATH=$libdir
for program in vorntool vornviewer; do
  # (ldd's output is taken whole: a grep -q that stops reading early can make
  # ldd fail with a broken pipe.)
  libraries=$(ldd "$usr/bin/$program")
  grep -q "libvorn.so.1 => $libdir/libvorn.so.1 " <<<"$libraries" || fail "$program does not use the installed libvorn.so.1"
  defined=$(nm -C --defined-only "$usr/bin/$program" 2>/dev/null || true)
  ! grep -q ' TVornFile::' <<<"$defined" || fail "$program carries its own archive core"
done
symbols=$(readelf --dyn-syms -W "$libdir/libvorn.so.1" | awk '$7 != "UND" {print $8}')
public=$(grep -c '@@VORN_1$' <<<"$symbols" || true)
private=$(grep -c '@@VORN_PRIVATE_1$' <<<"$symbols" || true)
[ "$public" -gt 0 ] && [ "$private" -gt 0 ] || fail "libvorn.so.1 lacks a version node: VORN_1 $public, VORN_PRIVATE_1 $private"
public_names=$(grep '@@VORN_1$' <<<"$symbols" | c++filt)
[ -z "$(grep -v 'vorn::' <<<"$public_names")" ] || fail "VORN_1 holds more than the vorn namespace"
echo "libvorn.so.1: $public symbols in VORN_1, $private in VORN_PRIVATE_1"

echo "-- desktop entry, metadata, MIME types"
desktop=$usr/share/applications/vornviewer.desktop
desktop-file-validate "$desktop"
grep -qx 'Exec=vornviewer %F' "$desktop" || fail "Exec line"
appstreamcli validate --no-net "$usr/share/metainfo/io.github.vornviewer.VornViewer.metainfo.xml"
xmllint --noout "$usr/share/mime/packages/vornviewer.xml"
for ext in vmres vmmap vmsave vmasave vmqsave vmparty vvc; do
  grep -q "pattern=\"\*\.$ext\"" "$usr/share/mime/packages/vornviewer.xml" || fail "no MIME glob for .$ext"
done
for page in vornviewer vorntool; do
  warnings=$(gzip -dc "$usr/share/man/man1/$page.1.gz" | groff -man -Tutf8 -ww -z 2>&1)
  [ -z "$warnings" ] || fail "manual page $page: $warnings"
done

export HOME=$work/home XDG_DATA_HOME=$work/home/.local/share XDG_CONFIG_HOME=$work/home/.config
export XDG_DATA_DIRS=$usr/share XDG_CONFIG_DIRS=$work/etc-xdg
mkdir -p "$HOME"
# What the package's triggers do after installing: the caches tell every
# file manager that the game's files open with the program.
update-mime-database "$usr/share/mime"
update-desktop-database "$usr/share/applications"
grep -q 'application/x-vorn-res:\*\.vmres' "$usr/share/mime/globs2" || fail "MIME cache lacks .vmres"
opener=$(XDG_CURRENT_DESKTOP= xdg-mime query default application/x-vorn-save)
[ "$opener" = vornviewer.desktop ] || fail "saves open with '$opener'"

echo "-- the installed programs"
[ -n "$("$usr/bin/vorntool" info "$demo")" ] || fail "vorntool info"
"$usr/bin/vorntool" test "$demo" >/dev/null || fail "vorntool test"
PATH=$usr/bin:$PATH bash -c "source /usr/share/bash-completion/bash_completion
    source '$usr/share/bash-completion/completions/vorntool'
    COMP_LINE='vorntool cat $demo scripts/q'; COMP_POINT=\${#COMP_LINE}
    COMP_WORDS=(vorntool cat '$demo' scripts/q); COMP_CWORD=3; _vorntool
    [ \"\${COMPREPLY[*]}\" = scripts/quest.lua ]" || fail "completion"

echo "-- the library from a program outside the tree (pkg-config, CMake) and the Python module"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -f "$usr/include/vorn/vorn.h" ] || fail "the library's headers are not installed"
consumer=$(realpath "$(dirname "$0")/consumer")
export PKG_CONFIG_PATH=$libdir/pkgconfig
[ "$(pkg-config --modversion vorn)" = "$version" ] || fail "pkg-config does not know vorn $version"
# shellcheck disable=SC2046  # the flags are words
c++ -std=c++17 -o "$work/consumer-pc" "$consumer/main.cpp" $(pkg-config --cflags --libs vorn)
LD_LIBRARY_PATH=$libdir "$work/consumer-pc" "$demo" > "$work/consumer-pc.out" || fail "the pkg-config consumer"
libraries=$(LD_LIBRARY_PATH=$libdir ldd "$work/consumer-pc")
grep -q "libvorn.so.1 => $libdir/" <<<"$libraries" || fail "consumer not linked to the installed library"
cmake -S "$consumer" -B "$work/consumer-cmake" -DCMAKE_PREFIX_PATH="$usr" >/dev/null
cmake --build "$work/consumer-cmake" >/dev/null
LD_LIBRARY_PATH=$libdir "$work/consumer-cmake/vorn-consumer" "$demo" > "$work/consumer-cmake.out" || fail "the CMake consumer"
cat "$work/consumer-pc.out"
grep -q "^entries=[1-9][0-9]* files=[1-9].* differences=0 version=$version\$" "$work/consumer-pc.out" || fail "consumer output"
cmp -s "$work/consumer-pc.out" "$work/consumer-cmake.out" || fail "the two consumers differ"
pymodule=$(find "$usr/lib" -path '*/vorn/__init__.py' -print -quit)
[ -n "$pymodule" ] || fail "the Python module is not installed"
PYTHONPATH=$(dirname "$(dirname "$pymodule")") LD_LIBRARY_PATH=$libdir /usr/bin/python3 -c '
import sys, vorn
archive = vorn.open(sys.argv[1])
assert archive.test().ok and len(archive.walk()) > 0, "the demo archive"
print("python:", vorn.__file__, len(archive.walk()), "entries")' "$demo" || fail "the installed Python module"

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")
LD_DEBUG=files QT_QPA_PLATFORM=xcb "$usr/bin/vornviewer" "$demo" 2>"$work/viewer.log" &
viewer_pid=$!
title=
for _ in $(seq 100); do
  title=$(xwininfo -root -tree 2>/dev/null | grep -o '"VornViewer - \[[^"]*' || true)
  [ -n "$title" ] && break
  sleep 0.2
done
[ -n "$title" ] || fail "the installed viewer showed no open archive"
grep -q "file=$usr/lib/vornviewer/plugins/wavinfo.so" "$work/viewer.log" || fail "the installed plug-in was not loaded"
# Ended as a session ends it, the viewer closes the ordinary way: it saves
# its settings, and an installed program saves them in the user's folder.
kill -TERM "$viewer_pid"
for _ in $(seq 100); do kill -0 "$viewer_pid" 2>/dev/null || break; sleep 0.1; done
! kill -0 "$viewer_pid" 2>/dev/null || fail "the viewer did not end on SIGTERM"
wait "$viewer_pid" || fail "the viewer did not end cleanly on SIGTERM"
viewer_pid=
[ -f "$XDG_CONFIG_HOME/VornViewer/VornViewer.ini" ] || fail "no settings in $XDG_CONFIG_HOME/VornViewer"
[ ! -e "$usr/bin/VornViewer.ini" ] || fail "the installed program wrote its settings into its bin folder"
echo "viewer: ${title#\"}; plug-in loaded from $usr/lib/vornviewer/plugins; settings in ~/.config/VornViewer"

echo "-- Debian package"
(cd "$build" && cpack -G DEB >/dev/null)
deb=$build/package/vornviewer_$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")_amd64.deb
dpkg-deb --info "$deb" > "$work/info"
dpkg-deb --contents "$deb" > "$work/contents"
for dep in qt6-qpa-plugins libqt6widgets6 libqt6gui6 libqt6core6 libdeflate0 liblzo2-2 libc6 libstdc++6; do
  grep -q "^ Depends:.*\b$dep\b" "$work/info" || fail "package does not depend on $dep"
done
for f in usr/bin/vornviewer usr/bin/vorntool usr/lib/vornviewer/plugins/wavinfo.so \
         usr/share/applications/vornviewer.desktop usr/share/mime/packages/vornviewer.xml \
         usr/share/metainfo/io.github.vornviewer.VornViewer.metainfo.xml usr/share/man/man1/vornviewer.1.gz \
         usr/share/icons/hicolor/scalable/apps/vornviewer.svg usr/share/doc/vornviewer/copyright; do
  grep -q " \./$f\$" "$work/contents" || fail "package lacks $f"
done
for f in 'usr/lib/.*libvorn\.so\.1' 'usr/include/vorn/vorn\.h' 'usr/lib/.*pkgconfig/vorn\.pc' \
         'usr/lib/.*cmake/vorn/vornConfig\.cmake' 'usr/lib/python3/dist-packages/vorn/_vorn\..*\.so' \
         'usr/lib/python3/dist-packages/vorn/__init__\.pyi'; do
  grep -Eq " \./$f( -> .*)?\$" "$work/contents" || fail "package lacks $f"
done
grep '^ Depends:' "$work/info"
echo "-- lintian $(basename "$deb")"
lintian --display-info --tag-display-limit 0 "$deb" | tee "$work/lintian" || true
! grep -q '^E:' "$work/lintian" || fail "lintian reports errors"
echo "install tree and package: OK ($deb)"
