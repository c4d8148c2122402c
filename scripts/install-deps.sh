#!/usr/bin/env bash
# Installs the Debian packages that building and testing QvBase need, when
# they are missing. Safe to run again: it installs only what is absent.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config binutils
  libgtest-dev libbenchmark-dev
  libgl-dev libegl-dev libegl-mesa0 libgl1-mesa-dri
  clang-format
  libcli11-dev nlohmann-json3-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
    missing+=("$p")
done
if ! command -v python3 >/dev/null 2>&1; then missing+=(python3); fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
