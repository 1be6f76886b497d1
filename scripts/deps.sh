#!/usr/bin/env bash
# Installs the Debian packages ROTEKA needs to build, run and test, when any is missing.
# Usage: scripts/deps.sh [extra-package ...]
set -euo pipefail

packages=(g++ make cmake qt6-base-dev qt6-serialport-dev libgl-dev
          fonts-ipafont-gothic fonts-dejavu-core util-linux desktop-file-utils appstream man-db
          "$@")

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update
"${as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
