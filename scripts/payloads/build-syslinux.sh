#!/bin/bash
# Builds the SYSLINUX Windows installer (syslinux.exe), the COM32 menu modules and, from the same
# build, the Linux mtools installer with its ldlinux.sys/ldlinux.c32 (for boot tests) and the 64-bit
# Windows installer (for the test twin), from Debian's `syslinux` source package, and installs
# them into OUTDIR. With ARCH x86_64 only the 64-bit installer is installed, as syslinux.exe.
#
# Usage: build-syslinux.sh OUTDIR [ARCH]
. "$(dirname "$0")/lib.sh"

[ $# -ge 1 ] && [ $# -le 2 ] || kh_die "usage: build-syslinux.sh OUTDIR [i686|x86_64]"
OUTDIR=$1
ARCH=${2:-i686}
PKG=syslinux
VERSION=$(kh_source_version $PKG)
KEY=${VERSION//:/_}-$(kh_build_key build-syslinux.sh gcc-mingw-w64-i686-win32 binutils-mingw-w64-i686 \
    mingw-w64-i686-dev gcc-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev \
    gcc-12 binutils nasm libc6-dev-i386 uuid-dev libext2fs-dev)

FILES=(syslinux.exe vesamenu.c32 libcom32.c32 libutil.c32 syslinux-mtools ldlinux.c32 ldlinux.sys)

build() {
    local result=$1
    local work=$KH_CACHE/work/$PKG
    kh_unpack_source $PKG "$VERSION" "$work"
    local src=$work/src

    # Dates embedded in the boot code follow the changelog, as in Debian's own build.
    export SOURCE_DATE_EPOCH
    SOURCE_DATE_EPOCH=$(kh_source_epoch "$src")
    local date hexdate
    date=$(date -u -d "@$SOURCE_DATE_EPOCH" +%Y%m%d)
    hexdate=$(printf '0x%08x' "$SOURCE_DATE_EPOCH")
    # Only the BIOS firmware and the installers are needed: no EFI, no extlinux, no utilities.
    kh_run_logged "$work/build.log" make -C "$src" -j2 bios DATE="$date" HEXDATE="$hexdate" \
        PYTHON=python3 "BSUBDIRS=codepage com32 lzo core mbr libinstaller win32 win64 mtools" ISUBDIRS=

    local b=$src/bios
    cp "$b/win32/syslinux.exe" "$result/syslinux.exe"
    cp "$b/win64/syslinux64.exe" "$result/syslinux64.exe"
    cp "$b/com32/menu/vesamenu.c32" "$result/vesamenu.c32"
    cp "$b/com32/lib/libcom32.c32" "$result/libcom32.c32"
    cp "$b/com32/libutil/libutil.c32" "$result/libutil.c32"
    cp "$b/mtools/syslinux" "$result/syslinux-mtools"
    cp "$b/com32/elflink/ldlinux/ldlinux.c32" "$result/ldlinux.c32"
    cp "$b/core/ldlinux.sys" "$result/ldlinux.sys"
    i686-w64-mingw32-strip "$result/syslinux.exe"
    x86_64-w64-mingw32-strip "$result/syslinux64.exe"
    # The build id hashes the build directory; drop it so that rebuilds elsewhere match.
    strip --remove-section=.note.gnu.build-id "$result/syslinux-mtools"
    echo "$VERSION" >"$result/VERSION"
    rm -rf "$work"
}

RESULT=$(kh_cached_build $PKG "$KEY" build)
case $ARCH in
i686)
    kh_install "$RESULT" "$OUTDIR" "${FILES[@]}"
    chmod +x "$OUTDIR/syslinux-mtools"
    ;;
x86_64) kh_install_as "$RESULT/syslinux64.exe" "$OUTDIR/syslinux.exe" ;;
*) kh_die "unknown architecture $ARCH" ;;
esac
