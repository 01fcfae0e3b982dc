#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, and any further
# packages named as arguments, when any is missing.  Runs as root or through sudo;
# does nothing when everything is there.
set -euo pipefail

# The last line: checks of the installed files and the Debian package (cpack -G DEB,
# dpkg-shlibdeps, lintian).
packages=(g++ cmake ninja-build libgtest-dev libgmock-dev
          qt6-base-dev qt6-charts-dev libqt6opengl6-dev libgl-dev fonts-dejavu-core xvfb xauth
          x11-utils imagemagick desktop-file-utils appstream groff-base dpkg-dev file lintian
          libbenchmark-dev "$@")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
