#!/bin/bash
# Builds the 7-Zip console program and its library (7z.exe, 7z.dll) from Debian's `7zip` source
# package with MinGW-w64, and installs them into OUTDIR. ARCH is i686 (the shipped 32-bit build,
# the default) or x86_64 (for the 64-bit test twin).
#
# Usage: build-7zip.sh OUTDIR [ARCH]
. "$(dirname "$0")/lib.sh"

[ $# -ge 1 ] && [ $# -le 2 ] || kh_die "usage: build-7zip.sh OUTDIR [i686|x86_64]"
OUTDIR=$1
ARCH=${2:-i686}
case $ARCH in
i686) NAME=7zip ;;
x86_64) NAME=7zip64 ;;
*) kh_die "unknown architecture $ARCH" ;;
esac
PKG=7zip
VERSION=$(kh_source_version $PKG)
DEBARCH=${ARCH//_/-}
KEY=${VERSION//:/_}-$(kh_build_key build-7zip.sh gcc-mingw-w64-$DEBARCH-win32 \
    g++-mingw-w64-$DEBARCH-win32 binutils-mingw-w64-$DEBARCH mingw-w64-$DEBARCH-dev)
CROSS=$ARCH-w64-mingw32

build() {
    local result=$1
    local work=$KH_CACHE/work/$NAME
    kh_unpack_source $PKG "$VERSION" "$work"
    local src=$work/src

    export SOURCE_DATE_EPOCH
    SOURCE_DATE_EPOCH=$(kh_source_epoch "$src")
    # The rar code is absent from Debian's tarball. The Debian build-flags hook carries the prefix
    # map that keeps the build directory out of the binaries.
    local flags="-ffile-prefix-map=$src=7zip"
    local make_args=(-j2 -f makefile.gcc IS_MINGW=1 DISABLE_RAR=1
        CC=$CROSS-gcc CXX=$CROSS-g++ RC=$CROSS-windres
        "MY_MKDIR=mkdir -p" "RM=rm -f"
        "DEB_7Z_CFLAGS=$flags" "DEB_7Z_CXXFLAGS=$flags")
    kh_run_logged "$work/dll.log" make -C "$src/CPP/7zip/Bundles/Format7zF" "${make_args[@]}"
    kh_run_logged "$work/exe.log" make -C "$src/CPP/7zip/UI/Console" "${make_args[@]}"

    cp "$src/CPP/7zip/Bundles/Format7zF/_o/7z.dll" "$result/7z.dll"
    cp "$src/CPP/7zip/UI/Console/_o/7z.exe" "$result/7z.exe"
    "$CROSS-strip" "$result/7z.dll" "$result/7z.exe"
    echo "$VERSION" >"$result/VERSION"
    rm -rf "$work"
}

RESULT=$(kh_cached_build $NAME "$KEY" build)
kh_install "$RESULT" "$OUTDIR" 7z.exe 7z.dll
