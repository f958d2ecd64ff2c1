# make run  - set up this machine, build, start the program under Wine
# make test - set up this machine, build everything, run every test
# make bench - measure the program against the bare work of its tools (build/bench/results.md)
SHELL := /bin/bash
JOBS ?= 2
ROOT := $(CURDIR)
# win32, or win64 where this machine cannot execute i386 code (see scripts/wine-arch).
WINE_ARCH := $(shell scripts/wine-arch)

.PHONY: all setup build native asan win32 win64 test run bench clean
all: build

setup:
	@scripts/setup

native: setup
	cmake -S . -B build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKH_WINE_ARCH=$(WINE_ARCH)
	cmake --build build/native -j$(JOBS)

asan: native
	cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DKH_SANITIZE=ON
	cmake --build build/asan -j$(JOBS) --target kh_tests

win32: native
	cmake -S . -B build/win32 -DCMAKE_BUILD_TYPE=MinSizeRel \
	    -DCMAKE_TOOLCHAIN_FILE=$(ROOT)/cmake/toolchain-mingw-i686.cmake
	cmake --build build/win32 -j$(JOBS)

# The 64-bit test twin: same sources, never shipped. Its payloads are built by
# the native build configured for the 64-bit Wine route.
win64: WINE_ARCH := win64
win64: native
	cmake -S . -B build/win64 -DCMAKE_BUILD_TYPE=MinSizeRel \
	    -DCMAKE_TOOLCHAIN_FILE=$(ROOT)/cmake/toolchain-mingw-x86_64.cmake \
	    -DKH_PAYLOAD_DIR=$(ROOT)/build/payloads-win64
	cmake --build build/win64 -j$(JOBS)

build: native asan win32 $(if $(filter win64,$(WINE_ARCH)),win64)

test: build
	@scripts/wine-arch --explain
	cd build/native && ctest --output-on-failure -j$(JOBS) --timeout 900

run: $(WINE_ARCH)
	@scripts/run-wine build/$(WINE_ARCH)/KorvaneHelper.exe

bench: $(WINE_ARCH)
	@bench/run

clean:
	rm -rf build
