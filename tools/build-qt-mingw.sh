#!/usr/bin/env bash
# Builds the Qt that the Windows build links: qtbase 6.4.2 (Core, Gui, Widgets, Network,
# Test; the windows, offscreen and minimal platform plugins), static, Release, for 64-bit
# Windows with Debian 12's MinGW-w64, from Debian's own qt6-base source package, the same
# Qt version the Linux build uses. About an hour on two cores; needs root (apt-get).
#   tools/build-qt-mingw.sh [PREFIX]
# PREFIX defaults to where cmake/mingw-w64.cmake looks: ${XDG_CACHE_HOME:-~/.cache}/mochiten/qt6-mingw-6.4.2.
# The sources and the build stay beside it, in qt-mingw-build/, until the build succeeds.
set -euo pipefail
CACHE=${XDG_CACHE_HOME:-$HOME/.cache}/mochiten
PREFIX=${1:-$CACHE/qt6-mingw-6.4.2}
W=$CACHE/qt-mingw-build
mkdir -p "$W"; cd "$W"
SUDO=$([ "$(id -u)" = 0 ] || echo sudo)

# Source packages come from the same registry as the binary ones: a deb-src entry beside
# the system's own, with the same URIs and suites.
if ! grep -rqs '^Types:.*deb-src\|^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  sed -e 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
    $SUDO tee /etc/apt/sources.list.d/debian-src.sources >/dev/null
fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends \
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 ninja-build cmake qt6-base-dev qt6-base-dev-tools xz-utils dpkg-dev
[[ -d qtbase-everywhere-src-6.4.2 ]] || { apt-get source --download-only qt6-base=6.4.2+dfsg-10; tar xf qt6-base_6.4.2+dfsg.orig.tar.xz; }

# Debian's source leaves out the tablet (wintab) headers, and 6.4.2 does not build its
# Windows plugin without OpenGL unless the software-GL check goes with it.
sed -i 's/^#if QT_CONFIG(dynamicgl)$/#if QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl)/' \
  qtbase-everywhere-src-6.4.2/src/plugins/platforms/windows/qwindowswindow.cpp

cat > toolchain.cmake <<'TC'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
TC

off() { for f in "$@"; do printf -- '-DFEATURE_%s=OFF ' "$f"; done; }
# shellcheck disable=SC2046
cmake -G Ninja -S qtbase-everywhere-src-6.4.2 -B build \
  -DCMAKE_TOOLCHAIN_FILE="$W/toolchain.cmake" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_INSTALL_PREFIX="$W/prefix" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
  $(off sql opengl dbus printsupport concurrent xml vulkan icu tabletevent jpeg ssl openssl brotli zstd \
        system_zlib system_png system_jpeg system_pcre2 system_harfbuzz system_freetype)
cmake --build build --parallel
rm -rf "$W/prefix"
cmake --install build
# Put in place whole, or not at all.
rm -rf "$PREFIX"; mkdir -p "$(dirname "$PREFIX")"
mv "$W/prefix" "$PREFIX"
rm -rf "$W"
echo "Qt for MinGW-w64 is in $PREFIX"
