#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need,
# running apt-get only when something is missing.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config clang libclang-rt-14-dev
  qt6-base-dev libgl-dev libdeflate-dev liblzo2-dev libfuse3-dev fuse3
  libgtest-dev libgmock-dev libbenchmark-dev
  xdg-utils shared-mime-info desktop-file-utils xvfb xauth
  pcmanfm thunar pcmanfm-qt openbox dbus-x11 xdotool imagemagick
  weston qt6-wayland qtwayland5 wl-clipboard
  tzdata
  librsvg2-bin dpkg-dev appstream libxml2-utils lintian x11-utils groff-base bash-completion
  python3-dev python3-pybind11 python3-pytest
)
if [ "${1:-}" = "--bench" ]; then
  packages+=(unzip libarchive-tools p7zip-full zip)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y "${missing[@]}"
fi
