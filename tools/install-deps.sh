#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need.
set -euo pipefail

packages=(
  build-essential clang cmake ninja-build pkg-config
  libgtest-dev
  libgtk2.0-dev libpng-dev zlib1g-dev lzma-dev libssl-dev
  xvfb xauth python3
  # The narrow interface face the layout's widths hold with.
  fonts-liberation
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
