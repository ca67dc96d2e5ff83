#!/usr/bin/env bash
# Installs every Debian package Tessaly needs that is not installed yet.
# Runs as root on Debian 12; does nothing when everything is present.
set -euo pipefail
packages=(
  build-essential cmake ninja-build ccache
  qt6-base-dev libgl-dev
  libopenal-dev
  zlib1g-dev libdeflate-dev libgif-dev libpng-dev
  nettle-dev pkgconf
  libgtest-dev libgmock-dev
  libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth locales
  clang-tidy
  dpkg-dev help2man desktop-file-utils appstream man-db groff-base
)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
