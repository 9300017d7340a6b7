# Two commands for a fresh Debian 12 machine: `make run` and `make test`.

BUILD_DIR ?= build
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

.PHONY: all deps configure build run test check-sanitize clean install deb

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

$(BUILD_DIR)/Makefile:
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo

configure: deps $(BUILD_DIR)/Makefile

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./$(BUILD_DIR)/mochiten

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The program, its desktop entry, icons, AppStream data and manual page under
# $(DESTDIR)$(PREFIX): `make install PREFIX=/usr DESTDIR=/tmp/stage`.
PREFIX ?= /usr/local

install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) --prefix "$(PREFIX)"

# The same for /usr as a Debian package in $(BUILD_DIR), for `apt install ./...deb`.
deb: build
	cd $(BUILD_DIR) && cpack -G DEB

# The program and its tests built with AddressSanitizer and UBSan in a folder of
# their own, unoptimised so that nothing is optimised away; any finding fails the run.
SANITIZE_DIR ?= build-sanitize
SANITIZE_FLAGS := -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer

check-sanitize: deps
	cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_CXX_FLAGS="$(SANITIZE_FLAGS)" -DCMAKE_EXE_LINKER_FLAGS="$(SANITIZE_FLAGS)"
	cmake --build $(SANITIZE_DIR) -j $(JOBS)
	cd $(SANITIZE_DIR) && QT_QPA_PLATFORM=offscreen \
	  ASAN_OPTIONS=abort_on_error=0:detect_stack_use_after_return=1 \
	  UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR)

# ---- Windows: the Qt-free Win32 unit (platform/win32) and its console check,
# cross-built with MinGW-w64 and run under Wine where Wine is installed.


WIN_DIR      := build-windows
WIN_PACKAGES := cmake g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
WIN_CXX      := x86_64-w64-mingw32-g++-posix
WIN_CXXFLAGS := -std=c++17 -Wall -Wextra -Werror -O2 -Iplatform/win32
# Every runtime library static (libgcc, libstdc++, winpthread): no DLLs to find under Wine.
WIN_LDFLAGS  := -static
WIN_WINDRES  := x86_64-w64-mingw32-windres
# The version that project() declares; the resource carries it and the check expects it.
WIN_VERSION   = $(shell sed -n 's/^project.Mochiten VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

.PHONY: check-windows windows-deps

windows-deps:
	$(call install-missing,$(WIN_PACKAGES))
	@mkdir -p $(WIN_DIR)

$(WIN_DIR)/mochiten.rc: resources/mochiten.rc.in CMakeLists.txt platform/win32/configure_rc.cmake | windows-deps
	cmake -DSOURCE_DIR="$(CURDIR)" -DVERSION="$(WIN_VERSION)" -DOUTPUT="$@" -P platform/win32/configure_rc.cmake

$(WIN_DIR)/mochiten.res.o: $(WIN_DIR)/mochiten.rc resources/icons/mochiten.ico
	$(WIN_WINDRES) -i $< -O coff -o $@

$(WIN_DIR)/win32.o: platform/win32/win32.cpp platform/win32/win32.h | windows-deps
	$(WIN_CXX) $(WIN_CXXFLAGS) -c $< -o $@

$(WIN_DIR)/win32_check.o: tests/windows/win32_check.cpp platform/win32/win32.h CMakeLists.txt | windows-deps
	$(WIN_CXX) $(WIN_CXXFLAGS) -DMOCHITEN_EXPECTED_VERSION='"$(WIN_VERSION)"' -c $< -o $@

$(WIN_DIR)/win32_check.exe: $(WIN_DIR)/win32_check.o $(WIN_DIR)/win32.o $(WIN_DIR)/mochiten.res.o
	$(WIN_CXX) $(WIN_LDFLAGS) -o $@ $^ -lversion

# Wine gets a prefix of its own under $(WIN_DIR) and no display: the check opens no window.
# Debian's wine64 package alone puts its loader in /usr/lib/wine, off the PATH.
check-windows: $(WIN_DIR)/win32_check.exe
	@wine=$$(command -v wine64 || command -v wine || ls /usr/lib/wine/wine64 2>/dev/null); \
	if [ -z "$$wine" ]; then \
	  echo "check-windows: Wine is not installed; $< was compiled, not run"; \
	else \
	  env -u DISPLAY -u WAYLAND_DISPLAY WINEPREFIX="$(CURDIR)/$(WIN_DIR)/wine" WINEDEBUG=-all \
	    WINEDLLOVERRIDES="mscoree,mshtml=" "$$wine" $<; \
	fi

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
