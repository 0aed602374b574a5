#!/usr/bin/env bash
# Installs what the two builds and their tests need, once. Quick when all is there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build
  googletest libgtest-dev libgmock-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  wine wine64 xvfb xauth imagemagick
  fonts-wine fonts-liberation
  clang-19 libclang-rt-19-dev
  python3 python3-dbfread libdbd-xbase-perl perl
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "bootstrap: installing ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "bootstrap: all packages present"
fi
