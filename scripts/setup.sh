#!/usr/bin/env bash
# Installs everything a fresh Debian 12 machine lacks to build and test both
# builds. Idempotent: when every package is present it only checks and exits.
set -euo pipefail

PACKAGES=(
  # native build
  build-essential cmake ninja-build ccache pkg-config googletest libgtest-dev libgmock-dev
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

# minizip for the Windows build: unzip.c and ioapi.c from Debian's zlib source
# package, compiled with the mingw toolchain against libz-mingw-w64-dev into a
# static library outside the repository. Skipped when already built.
MINIZIP_MINGW_DIR=${QM_MINIZIP_MINGW_DIR:-/opt/qm-deps/minizip-mingw}
if [ ! -f "$MINIZIP_MINGW_DIR/lib/libminizip.a" ]; then
  echo "setup: building minizip for mingw into $MINIZIP_MINGW_DIR"
  deps_root=$(dirname "$MINIZIP_MINGW_DIR")
  mkdir -p "$deps_root/src"
  (
    flock 9
    if [ ! -f "$MINIZIP_MINGW_DIR/lib/libminizip.a" ]; then
      # Source entries mirror the machine's own binary entries.
      if ! grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
        for list in /etc/apt/sources.list.d/*.sources; do
          [ -f "$list" ] || continue
          sed 's/^Types: deb$/Types: deb-src/' "$list" >"/etc/apt/sources.list.d/qm-src-$(basename "$list")"
        done
        if [ -f /etc/apt/sources.list ]; then
          sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >/etc/apt/sources.list.d/qm-src.list
        fi
        apt-get update -qq
      fi
      work=$(mktemp -d "$deps_root/src/zlib.XXXXXX")
      # The release's own source package: security updates may carry no sources.
      codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
      (cd "$work" && apt-get source -qq --download-only "zlib/$codename" >/dev/null 2>&1 &&
        dpkg-source -x --no-check zlib_*.dsc zlib >/dev/null)
      contrib="$work/zlib/contrib/minizip"
      obj="$work/obj"
      mkdir -p "$obj" "$MINIZIP_MINGW_DIR/lib" "$MINIZIP_MINGW_DIR/include"
      for f in unzip ioapi; do
        x86_64-w64-mingw32-gcc-posix -O2 -c "$contrib/$f.c" -I"$contrib" -o "$obj/$f.o"
      done
      x86_64-w64-mingw32-ar rcs "$obj/libminizip.a" "$obj/unzip.o" "$obj/ioapi.o"
      cp "$contrib/unzip.h" "$contrib/ioapi.h" "$MINIZIP_MINGW_DIR/include/"
      cp "$obj/libminizip.a" "$MINIZIP_MINGW_DIR/lib/libminizip.a"
      rm -rf "$work"
    fi
  ) 9>"$deps_root/.minizip.lock"
fi
echo "setup: minizip for mingw present"
