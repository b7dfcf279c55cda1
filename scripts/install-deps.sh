#!/usr/bin/env bash
# Installs everything Tarnis needs to build, test, benchmark and fuzz on Debian 12.
# Idempotent: packages already present are left alone.
set -euo pipefail

PKGS=(
  build-essential g++ cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libqt6openglwidgets6 qt6-l10n-tools qt6-tools-dev-tools
  qt6-tools-dev qt6-image-formats-plugins qt6-translations-l10n
  libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri libglx-mesa0
  libgtest-dev libgmock-dev libbenchmark-dev libnanoflann-dev
  xvfb xauth x11-utils openbox
  clang libclang-rt-dev
  python3 python3-numpy python3-nibabel python3-skimage python3-dev python3-setuptools
  pybind11-dev python3-pybind11 python3-pytest python3-pip python3-venv python3-wheel
  libnifti2-dev zlib1g-dev libassimp-dev libinsighttoolkit5-dev
  libcgal-dev libgmp-dev libmpfr-dev
  tetgen
  python3-open3d
  parallel rsync
  clang-format
)

missing=()
for p in "${PKGS[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: everything already installed"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends "${missing[@]}"
