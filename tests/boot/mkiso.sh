#!/bin/bash
# Builds the test live ISO the boot tests start: laid out like the live ISOs the program expects
# (isolinux/ with vmlinuz0, initrd0.img, initrd4disk.img, isolinux.cfg and splash.jpg;
# LiveOS/squashfs.img; volume label korvane-QX2-livecd), with a Debian kernel and a busybox
# initramfs whose /init (live-init.sh) checks the boot and reports PASS or FAIL on the serial port.
# The kernel package and the result are cached under ${KH_CACHE_DIR:-$HOME/.cache/korvane-helper}.
#
# Usage: mkiso.sh OUT.iso
set -euo pipefail
[ $# -eq 1 ] || {
    echo "usage: mkiso.sh OUT.iso" >&2
    exit 2
}
HERE=$(cd "$(dirname "$0")" && pwd)
OUT=$1
CACHE=${KH_CACHE_DIR:-${HOME:-/root}/.cache/korvane-helper}/boot
LABEL=korvane-QX2-livecd
# Disks and file systems of both boot routes: IDE disks (ata_piix), a USB stick on xHCI, FAT.
MODULES="ata_piix sd_mod xhci_pci usb_storage vfat nls_cp437 nls_ascii nls_utf8 nls_iso8859-1"
export LC_ALL=C

log() { echo "mkiso: $*" >&2; }
die() {
    log "error: $*"
    exit 1
}

# The newest bookworm 6.1 kernel apt knows, unless one was fetched before (kept for repeat runs).
kernel_deb() {
    local dir=$CACHE/kernel deb name
    mkdir -p "$dir"
    deb=$(ls "$dir"/linux-image-*-amd64_*.deb 2>/dev/null | sort -V | tail -n 1 || true)
    if [ -z "$deb" ]; then
        name=$(apt-cache search --names-only '^linux-image-6\.1\.0-[0-9]+-amd64$' |
            awk '{print $1}' | sort -V | tail -n 1)
        [ -n "$name" ] || die "apt knows no linux-image-6.1.0-*-amd64 (run apt-get update)"
        log "downloading $name"
        (cd "$dir" && apt-get download "$name" >/dev/null 2>&1) || die "apt-get download $name failed"
        deb=$(ls "$dir"/linux-image-*-amd64_*.deb | sort -V | tail -n 1)
    fi
    echo "$deb"
}

# Module files of MODULES and everything they depend on, in MODDIR (relative to it).
module_closure() {
    local moddir=$1 want=" "
    for m in $MODULES; do want="$want${m//-/_} "; done
    awk -v want="$want" '
        { sub(":", "", $1); name = $1; sub(".*/", "", name); sub("\\.ko.*", "", name);
          gsub("-", "_", name); deps[$1] = ""; for (i = 2; i <= NF; i++) deps[$1] = deps[$1] " " $i;
          if (index(want, " " name " ")) roots[$1] = 1 }
        END { for (r in roots) { print r; n = split(deps[r], d, " "); for (i = 1; i <= n; i++) print d[i] } }
    ' "$moddir/modules.dep" | sort -u
}

build_initramfs() {
    local deb=$1 out=$2 tmp=$3
    local root=$tmp/initramfs kdir=$tmp/kernel version
    mkdir -p "$kdir" "$root"/{bin,sbin,etc,proc,sys,dev,mnt}
    dpkg-deb -x "$deb" "$kdir"
    version=$(ls "$kdir/lib/modules")
    busybox depmod -b "$kdir" "$version"
    local count=0
    while read -r rel; do
        mkdir -p "$root/lib/modules/$version/$(dirname "$rel")"
        cp "$kdir/lib/modules/$version/$rel" "$root/lib/modules/$version/$rel"
        count=$((count + 1))
    done < <(module_closure "$kdir/lib/modules/$version")
    cp "$kdir/lib/modules/$version"/modules.{order,builtin} "$root/lib/modules/$version/"
    busybox depmod -b "$root" "$version"
    log "initramfs: busybox, $count modules of $version"

    cp /bin/busybox "$root/bin/busybox"
    for applet in $(busybox --list); do
        [ "$applet" = busybox ] || ln -s busybox "$root/bin/$applet"
    done
    ln -sf ../bin/busybox "$root/sbin/modprobe"
    echo "$MODULES" >"$root/etc/kh-modules"
    install -m 755 "$HERE/live-init.sh" "$root/init"
    (cd "$root" && find . | sort | cpio -o -H newc --quiet --reproducible) | gzip -9n >"$out"
    cp "$kdir/boot/vmlinuz-$version" "$tmp/vmlinuz"
}

build_iso() {
    local deb=$1 out=$2 tmp
    tmp=$(mktemp -d)
    trap 'rm -rf "$tmp"' RETURN
    build_initramfs "$deb" "$tmp/initrd.img" "$tmp"
    local tree=$tmp/tree
    mkdir -p "$tree/isolinux" "$tree/LiveOS"
    cp "$tmp/vmlinuz" "$tree/isolinux/vmlinuz0"
    cp "$tmp/initrd.img" "$tree/isolinux/initrd0.img"
    cp "$tmp/initrd.img" "$tree/isolinux/initrd4disk.img"
    cat >"$tree/isolinux/isolinux.cfg" <<EOT
default linux
timeout 100
label linux
  kernel vmlinuz0
  append initrd=initrd0.img root=CDLABEL=$LABEL rootfstype=iso9660 ro liveimg quiet
EOT
    # The menu background the program's syslinux.cfg names.
    local convert=convert
    [ -x /usr/bin/convert ] && convert=/usr/bin/convert
    "$convert" -size 640x480 gradient:'#1a4a6a-#081828' "$tree/isolinux/splash.jpg"
    # Stands in for the compressed root file system; nothing reads its content.
    head -c 4M /dev/urandom >"$tree/LiveOS/squashfs.img"
    xorriso -as mkisofs -quiet -V "$LABEL" -r -J -o "$out.tmp" "$tree" 2>"$tmp/xorriso.log" || {
        cat "$tmp/xorriso.log" >&2
        die "xorriso failed"
    }
    mv "$out.tmp" "$out"
}

DEB=$(kernel_deb)
KEY=$({
    basename "$DEB"
    cat "$HERE/mkiso.sh" "$HERE/live-init.sh"
    busybox | sed -n 1p  # reads everything: no SIGPIPE under pipefail
} | sha256sum | cut -c1-16)
CACHED=$CACHE/live-$KEY.iso
if [ ! -f "$CACHED" ]; then
    log "building the test live ISO ($(basename "$DEB"))"
    build_iso "$DEB" "$CACHED"
    find "$CACHE" -maxdepth 1 -name 'live-*.iso' ! -name "live-$KEY.iso" -delete
fi
mkdir -p "$(dirname "$OUT")"
cmp -s "$CACHED" "$OUT" 2>/dev/null || cp "$CACHED" "$OUT"
