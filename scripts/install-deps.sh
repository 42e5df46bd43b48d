#!/usr/bin/env bash
# Installs every Debian package QOR - Brenmoor needs to build, run and test.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

packages=(
  build-essential g++ cmake ninja-build pkg-config git
  libgl-dev libglu1-mesa-dev libglew-dev mesa-utils libgl1-mesa-dri libegl-mesa0 libpng-dev
  qt6-base-dev libqt6opengl6-dev qt6-base-dev-tools
  xvfb xauth
  googletest libgtest-dev libgmock-dev libbenchmark-dev python3-pil
  clang clang-format libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "All build and test packages are installed."
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
