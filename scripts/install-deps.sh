#!/usr/bin/env bash
# Installs what building and testing need on a fresh Debian machine, 32-bit
# Wine included for the release build's tests. Safe to run again: apt-get
# skips what is already there.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang clang-format python3
  g++-mingw-w64-i686 g++-mingw-w64-x86-64
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine64 fonts-wine fonts-liberation
  xvfb x11-utils xdotool imagemagick
  googletest libclang-rt-14-dev
)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

SUDO=""
[[ $(id -u) -ne 0 ]] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive

missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
if ! installed wine32:i386; then
  dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
  missing+=(wine32:i386)
fi

if ((${#missing[@]})); then
  $SUDO apt-get update -q
  if ! $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"; then
    # Without 32-bit packages the 64-bit tiers still run; the test command says what it left out.
    missing=("${missing[@]/wine32:i386/}")
    $SUDO apt-get install -y -q --no-install-recommends ${missing[@]}
  fi
fi
