#!/usr/bin/env bash
# Installs with apt whatever a fresh Debian 12 machine lacks to build, test,
# fuzz, run and package Quorvane (the icon's pictures, the manual pages and the
# package's checks need the third line from the end; quorvane-mpi the next, calibration
# (NLopt) the last). Does nothing when everything is there.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-svg-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang-14 libclang-rt-14-dev clang-format
  fonts-liberation xvfb locales poppler-utils
  librsvg2-bin help2man desktop-file-utils appstream lintian
  libopenmpi-dev openmpi-bin
  libnlopt-cxx-dev
)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi

# The tests check that numbers keep '.' under a locale whose decimal separator is ','.
ensure_test_locale() {
  if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    echo "bootstrap: generating the de_DE.UTF-8 locale for the locale tests"
    $sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8
  fi
}

if [ ${#missing[@]} -eq 0 ]; then
  ensure_test_locale
  exit 0
fi
echo "bootstrap: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
ensure_test_locale
echo "bootstrap: done"
