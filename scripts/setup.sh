#!/usr/bin/env bash
# Installs everything a fresh Debian 12 machine lacks to build and test both
# builds. Idempotent: when every package is present it only checks and exits.
set -euo pipefail

PACKAGES=(
  # native build
  build-essential cmake ninja-build pkg-config googletest libgtest-dev libgmock-dev
  libgtk-3-dev libwebkit2gtk-4.1-dev libcurl4-openssl-dev libx11-dev libxext-dev
  libssl-dev zlib1g-dev libminizip-dev libcpp-httplib-dev
  # windows build
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools
  binutils-mingw-w64-x86-64 libz-mingw-w64-dev wine wine64
  # tests and tools
  xvfb xdotool x11-utils imagemagick openbox trayer xcompmgr dbus-x11 curl
  bc desktop-file-utils fonts-noto-cjk python3 clang libclang-rt-14-dev dpkg-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
echo "setup: all packages present"
