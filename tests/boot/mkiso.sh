#!/bin/bash
# Usage: mkiso.sh OUT.iso. Builds the test live ISO the boot tests start, laid out like the live
# ISOs the program expects: a Debian kernel and a busybox initramfs whose /init (live-init.sh)
# checks the boot. The kernel package and the result are cached under $KH_CACHE_DIR/boot.
. "$(dirname "$0")/lib.sh"
[ $# -eq 1 ] || die "usage: mkiso.sh OUT.iso"
CACHE=${KH_CACHE_DIR:-${HOME:-/root}/.cache/korvane-helper}/boot
# Disks and file systems of both boot routes: IDE disks (ata_piix), a USB stick on xHCI, FAT.
MODULES="ata_piix sd_mod xhci-pci usb-storage vfat nls_cp437 nls_ascii nls_utf8 nls_iso8859-1"

# The newest bookworm 6.1 kernel apt knows, unless one was fetched before.
mkdir -p "$CACHE/kernel"
DEB=$(ls "$CACHE"/kernel/linux-image-*-amd64_*.deb 2>/dev/null | sort -V | tail -n 1 || true)
if [ -z "$DEB" ]; then
    name=$(apt-cache search --names-only '^linux-image-6\.1\.0-[0-9]+-amd64$' | cut -d' ' -f1 |
        sort -V | tail -n 1)
    [ -n "$name" ] || die "apt knows no linux-image-6.1.0-*-amd64 (run apt-get update)"
    (cd "$CACHE/kernel" && apt-get download "$name" >/dev/null 2>&1) || die "cannot download $name"
    DEB=$(ls "$CACHE"/kernel/linux-image-*-amd64_*.deb)
fi
KEY=$({ basename "$DEB"; echo "$KH_ISO_LABEL"; cat "$BOOT_HERE"/{mkiso.sh,live-init.sh}; busybox | sed -n 1p; } |
    sha256sum | cut -c1-16) # sed reads all of busybox's output: no SIGPIPE under pipefail
CACHED=$CACHE/live-$KEY.iso
if [ ! -f "$CACHED" ]; then
    TMP=$(mktemp -d)
    trap 'rm -rf "$TMP"' EXIT
    ROOT=$TMP/initramfs TREE=$TMP/tree
    dpkg-deb -x "$DEB" "$TMP/kernel"
    VERSION=$(ls "$TMP/kernel/lib/modules")
    MODDIR=lib/modules/$VERSION
    mkdir -p "$ROOT"/{bin,sbin,usr/bin,usr/sbin,etc,proc,sys,dev,mnt,$MODDIR}
    mkdir -p "$TREE"/{isolinux,LiveOS}
    busybox depmod -b "$TMP/kernel" "$VERSION"
    # The modules with all they need: modules.dep lists that after each module's file.
    (cd "$TMP/kernel/$MODDIR" && cp --parents modules.order modules.builtin $(
        grep -E "/(${MODULES// /|})\.ko:" modules.dep | tr -d : | tr ' ' '\n' | sort -u
    ) "$ROOT/$MODDIR/")
    busybox depmod -b "$ROOT" "$VERSION"
    cp /bin/busybox "$ROOT/bin/"
    echo "$MODULES" >"$ROOT/etc/kh-modules"
    install -m 755 "$BOOT_HERE/live-init.sh" "$ROOT/init"
    (cd "$ROOT" && find . | sort | cpio -o -H newc --quiet --reproducible) |
        gzip -9n >"$TREE/isolinux/initrd0.img"
    cp "$TREE/isolinux/initrd0.img" "$TREE/isolinux/initrd4disk.img"
    cp "$TMP/kernel/boot/vmlinuz-$VERSION" "$TREE/isolinux/vmlinuz0"
    # The menu background the program's syslinux.cfg names, and a stand-in for the compressed
    # root file system, which nothing reads.
    /usr/bin/convert -size 640x480 gradient:'#1a4a6a-#081828' "$TREE/isolinux/splash.jpg"
    head -c 4M /dev/urandom >"$TREE/LiveOS/squashfs.img"
    xorriso -as mkisofs -quiet -V "$KH_ISO_LABEL" -r -J -o "$CACHED.tmp" "$TREE"
    mv "$CACHED.tmp" "$CACHED"
    find "$CACHE" -maxdepth 1 -name 'live-*.iso' ! -name "live-$KEY.iso" -delete
fi
mkdir -p "$(dirname "$1")"
cp "$CACHED" "$1"
