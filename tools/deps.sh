#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Skerrow need, when missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev
  libgtest-dev libgmock-dev
  unrtf time python3
  clang libclang-rt-14-dev
)
[ "${SKERROW_GUI_TOOLS:-0}" = 1 ] && packages+=(xvfb xauth imagemagick)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
