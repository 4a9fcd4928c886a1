#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, skipping what is there.
# Uses sudo only when not run as root.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang pkg-config make
  libgtest-dev libgmock-dev libbenchmark-dev
  libutf8proc-dev libsqlite3-dev
  clang libclang-rt-14-dev llvm
  qt6-base-dev fonts-dejavu-core
)
if [ "${QOR_WITH_CCACHE:-1}" = 1 ]; then packages+=(ccache); fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
