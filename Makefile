# make run  - set up this machine, build, start the program under Wine
# make test - set up this machine, build everything, run every test
SHELL := /bin/bash
JOBS ?= 2
ROOT := $(CURDIR)

.PHONY: all setup build native asan win32 test run clean
all: build

setup:
	@scripts/setup

native: setup
	cmake -S . -B build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build build/native -j$(JOBS)

asan: native
	cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DKH_SANITIZE=ON
	cmake --build build/asan -j$(JOBS) --target kh_tests

win32: native
	cmake -S . -B build/win32 -DCMAKE_BUILD_TYPE=MinSizeRel \
	    -DCMAKE_TOOLCHAIN_FILE=$(ROOT)/cmake/toolchain-mingw-i686.cmake
	cmake --build build/win32 -j$(JOBS)

build: native asan win32

test: build
	cd build/native && ctest --output-on-failure -j$(JOBS) --timeout 900

run: win32
	@scripts/run-wine build/win32/KorvaneHelper.exe

clean:
	rm -rf build
