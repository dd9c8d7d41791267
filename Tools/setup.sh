#!/usr/bin/env bash
# Installs every Debian package the project needs to build, run and test.
# Does nothing when they are all present already.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config git
  clang libclang-rt-14-dev
  libsdl2-dev libepoxy-dev libgl1-mesa-dri libegl-mesa0 libegl1 libgl1
  nlohmann-json3-dev libfreetype-dev zlib1g-dev libdeflate-dev libpng-dev libstb-dev libimgui-dev fonts-dejavu-core
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev ffmpeg
  glslang-tools spirv-tools
  libgtest-dev libgmock-dev libbenchmark-dev
  libassimp-dev assimp-testmodels
)

missing=()
for package in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
