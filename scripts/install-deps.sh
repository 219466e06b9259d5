#!/usr/bin/env bash
# Installs the Debian packages Kobanto needs to build and test, and only those that are missing.
# Usage: scripts/install-deps.sh [extra-package ...]
set -euo pipefail

packages=(
  g++ cmake ninja-build make pkg-config
  libjpeg62-turbo-dev
  qt6-base-dev qt6-base-dev-tools qt6-wayland
  fonts-ipafont-gothic
  libgtest-dev libgmock-dev
  xdg-utils
  desktop-file-utils libglib2.0-bin # install tests: desktop-file-validate, gio launch
  util-linux
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "Installing missing packages: ${missing[*]}"
sudo=()
if ((EUID != 0)); then
  if command -v sudo >/dev/null 2>&1; then
    sudo=(sudo)
  else
    echo "Missing packages (${missing[*]}) and no root rights to install them." >&2
    exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
