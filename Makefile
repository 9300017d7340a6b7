# Two commands for a fresh Debian 12 machine: `make run` and `make test`.

# Every build is a CMake preset (CMakePresets.json): default in build/, sanitize in
# build-sanitize/, windows in build-windows/. CMake honours CMAKE_CXX_COMPILER_LAUNCHER
# (ccache, say) from the environment.
BUILD_DIR := build
JOBS      ?= $(shell nproc 2>/dev/null || echo 2)

# Build tools and Qt with its Wayland plugin, the Japanese Gothic font the windows
# ask for, and the X servers, window manager, trays, bus, Wayland compositor and
# tools the desktop tests start and drive; the AT-SPI and clipboard tools and the
# screen reader (Orca) they read the program through; the renderer of the installed
# icon sizes, the tools CPack builds the .deb with and the checkers the package test
# runs on it.
PACKAGES := cmake make g++ qt6-base-dev qt6-wayland libxcb1-dev fonts-ipafont-gothic fonts-ipafont-mincho \
  xvfb xauth icewm xdotool x11-utils x11-xkb-utils python3 python3-xlib \
  lxqt-panel dbus-daemon weston xwayland at-spi2-core python3-pyatspi gir1.2-atspi-2.0 xclip orca \
  librsvg2-bin dpkg-dev file desktop-file-utils appstream lintian

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps configure build run test check-sanitize clean install uninstall deb

all: build

# Installs those of the packages in $(1) that are missing (apt-get, with sudo when not root).
define install-missing
@missing=""; \
for p in $(1); do \
  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
done; \
if [ -n "$$missing" ]; then \
  echo "Installing:$$missing"; \
  $(SUDO) apt-get update -qq && \
  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
fi
endef

deps:
	$(call install-missing,$(PACKAGES))

configure: deps
	cmake --preset default

build: configure
	cmake --build --preset default -j $(JOBS)

run: build
	./$(BUILD_DIR)/mochiten

test: build
	ctest --preset default -j $(JOBS)

# The program, its desktop entry, icons, AppStream data and manual page under
# $(DESTDIR)$(PREFIX): `make install PREFIX=/usr DESTDIR=/tmp/stage`.
PREFIX ?= /usr/local

install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) --prefix "$(PREFIX)"

# Removes what the last `make install` from $(BUILD_DIR) put there, as CMake listed it,
# below the same DESTDIR, and the program's own documentation folder; nothing else.
uninstall:
	@if [ -f $(BUILD_DIR)/install_manifest.txt ]; then \
	  sed 's|^|$(DESTDIR)|' $(BUILD_DIR)/install_manifest.txt | xargs -r -d '\n' rm -fv; \
	  rmdir --ignore-fail-on-non-empty "$$(sed -n 's|^\(.*/doc/mochiten\)/.*|$(DESTDIR)\1|p' $(BUILD_DIR)/install_manifest.txt | head -n 1)" 2>/dev/null || true; \
	else echo "uninstall: nothing was installed from $(BUILD_DIR)"; fi

# The same for /usr as a Debian package in $(BUILD_DIR), for `apt install ./...deb`.
deb: build
	cd $(BUILD_DIR) && cpack -G DEB

# The program and its tests built with AddressSanitizer and UBSan in build-sanitize/,
# unoptimised so that nothing is optimised away; any finding fails the run.
check-sanitize: deps
	cmake --preset sanitize
	cmake --build --preset sanitize -j $(JOBS)
	ctest --preset sanitize -j $(JOBS)

clean:
	rm -rf $(BUILD_DIR) build-sanitize build-windows

# ---- Windows: the whole program cross-built with MinGW-w64 against a static Qt for
# it, its unit tests and a desktop test run under Wine (Xvfb and icewm, as above).
WIN_PACKAGES := cmake g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 qt6-base-dev-tools wine64 \
  python3 python3-xlib xvfb xauth icewm xdotool
# Where cmake/mingw-w64.cmake finds that Qt: QT_MINGW_PREFIX, else unpacked in the cache
# folder, else the archive in a shared/windows/ beside the checkout or a parent folder of it.
QT_MINGW := qt6-mingw-6.4.2
# Runs $(1) when that Qt is at hand; otherwise says how to get it and stops without failing,
# so that a machine without it still passes the Linux build and tests.
define with-qt-mingw
@if ( [ -n "$$QT_MINGW_PREFIX" ] || [ -f "$${XDG_CACHE_HOME:-$$HOME/.cache}/mochiten/$(QT_MINGW)/lib/cmake/Qt6/Qt6Config.cmake" ] || \
      { d="$(CURDIR)"; while [ "$$d" != / ]; do d=$$(dirname "$$d"); [ -f "$$d/shared/windows/$(QT_MINGW).tar.xz" ] && exit 0; done; exit 1; } ); then \
  set -x; $(1); \
else \
  echo "No Qt for MinGW-w64 here: the Windows build is skipped."; \
  echo "  'make windows-qt' builds one from Debian's Qt source into the cache folder (about an hour"; \
  echo "  on two cores); or point QT_MINGW_PREFIX at one, or put $(QT_MINGW).tar.xz into ../shared/windows/."; \
fi
endef
WIN_BUILD := cmake --preset windows && cmake --build --preset windows -j $(JOBS)

.PHONY: windows-deps windows windows-dist check-windows windows-qt

windows-deps:
	$(call install-missing,$(WIN_PACKAGES))

windows: windows-deps
	$(call with-qt-mingw,$(WIN_BUILD))

# mochiten.exe and a read-me in build-windows/Mochiten-<version>-windows-x64.zip.
windows-dist: windows-deps
	$(call with-qt-mingw,$(WIN_BUILD) --target windows-dist)

# The unit tests as Windows programs and the desktop test, under Wine.
check-windows: windows-deps
	$(call with-qt-mingw,$(WIN_BUILD) && ctest --preset windows -j $(JOBS))

windows-qt:
	tools/build-qt-mingw.sh

# ---- Benchmark: the program against a bare Qt 6 window doing the same visible job
# (bench/floor.cpp), both started in turn on X servers and a session bus of their own.
# Not part of `make test`: it prints figures and fails only when it could not take
# them. `make bench ROUNDS=3 IDLE=5` for a shorter run.
BENCH_DIR      := $(BUILD_DIR)/bench
BENCH_PACKAGES := python3 python3-xlib xvfb icewm dbus-daemon

.PHONY: bench

bench: build
	$(call install-missing,$(BENCH_PACKAGES))
	@test -f $(BENCH_DIR)/floor/CMakeCache.txt || \
	  cmake -S bench -B $(BENCH_DIR)/floor -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BENCH_DIR)/floor -j $(JOBS)
	ROUNDS="$(ROUNDS)" IDLE="$(IDLE)" /usr/bin/python3 bench/bench.py \
	  $(BUILD_DIR)/mochiten $(BENCH_DIR)/floor/floor $(BENCH_DIR)
