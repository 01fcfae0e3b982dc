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
          libbenchmark-dev locales "$@")

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The German locale, under which a test runs a conversion to show that no number
# follows the user's locale.
if ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
  $sudo sed -i 's/^# *\(de_DE\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^de_DE\.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
fi
