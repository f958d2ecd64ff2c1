#!/bin/bash
# Builds the 32-bit 7-Zip console program and its library (7z.exe, 7z.dll) from Debian's `7zip`
# source package with MinGW-w64, and installs them into OUTDIR.
#
# Usage: build-7zip.sh OUTDIR
. "$(dirname "$0")/lib.sh"

[ $# -eq 1 ] || kh_die "usage: build-7zip.sh OUTDIR"
OUTDIR=$1
PKG=7zip
VERSION=$(kh_source_version $PKG)
KEY=${VERSION//:/_}-$(kh_build_key build-7zip.sh gcc-mingw-w64-i686-win32 g++-mingw-w64-i686-win32 \
    binutils-mingw-w64-i686 mingw-w64-i686-dev)

build() {
    local result=$1
    local work=$KH_CACHE/work/$PKG
    kh_unpack_source $PKG "$VERSION" "$work"
    local src=$work/src

    export SOURCE_DATE_EPOCH
    SOURCE_DATE_EPOCH=$(kh_source_epoch "$src")
    # The rar code is absent from Debian's tarball. The Debian build-flags hook carries the prefix
    # map that keeps the build directory out of the binaries.
    local flags="-ffile-prefix-map=$src=7zip"
    local make_args=(-j2 -f makefile.gcc IS_MINGW=1 DISABLE_RAR=1
        CC=i686-w64-mingw32-gcc CXX=i686-w64-mingw32-g++ RC=i686-w64-mingw32-windres
        "MY_MKDIR=mkdir -p" "RM=rm -f"
        "DEB_7Z_CFLAGS=$flags" "DEB_7Z_CXXFLAGS=$flags")
    kh_run_logged "$work/dll.log" make -C "$src/CPP/7zip/Bundles/Format7zF" "${make_args[@]}"
    kh_run_logged "$work/exe.log" make -C "$src/CPP/7zip/UI/Console" "${make_args[@]}"

    cp "$src/CPP/7zip/Bundles/Format7zF/_o/7z.dll" "$result/7z.dll"
    cp "$src/CPP/7zip/UI/Console/_o/7z.exe" "$result/7z.exe"
    i686-w64-mingw32-strip "$result/7z.dll" "$result/7z.exe"
    echo "$VERSION" >"$result/VERSION"
    rm -rf "$work"
}

RESULT=$(kh_cached_build $PKG "$KEY" build)
kh_install "$RESULT" "$OUTDIR" 7z.exe 7z.dll
