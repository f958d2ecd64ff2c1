#!/bin/bash
# Produces the loader pair that boot.ini starts, into OUTDIR:
#   grldr  - GRUB 2's NTLDR-compatible stub (g2ldr.mbr); it looks on every partition for g2ldr,
#   g2ldr  - g2hdr.img followed by a GRUB 2 core image whose built-in configuration finds the
#            partition holding /menu.lst and reads it with the legacy menu parser. If that menu
#            returns (or no /menu.lst exists) it offers "Windows", which starts /ntldr.
# With KH_GRLDR_FILE naming a packager-supplied grldr, that file is copied as grldr instead and
# no g2ldr is produced.
#
# Usage: build-grldr.sh OUTDIR
. "$(dirname "$0")/lib.sh"

[ $# -eq 1 ] || kh_die "usage: build-grldr.sh OUTDIR"
OUTDIR=$1
mkdir -p "$OUTDIR"

if [ -n "${KH_GRLDR_FILE:-}" ]; then
    [ -f "$KH_GRLDR_FILE" ] || kh_die "KH_GRLDR_FILE=$KH_GRLDR_FILE is not a file"
    tmp=$(mktemp -d)
    cp "$KH_GRLDR_FILE" "$tmp/grldr"
    kh_install "$tmp" "$OUTDIR" grldr
    rm -rf "$tmp" "$OUTDIR/g2ldr"
    exit 0
fi

GRUB_DIR=/usr/lib/grub/i386-pc
for f in g2ldr.mbr g2hdr.img kernel.img; do
    [ -f "$GRUB_DIR/$f" ] || kh_die "$GRUB_DIR/$f missing (package grub-pc-bin)"
done

# Everything a menu.lst on FAT, NTFS, ext2/3/4 or ISO 9660 may need; no module is read from disk.
MODULES="biosdisk part_msdos part_gpt fat exfat ntfs ext2 iso9660 search search_fs_file
search_fs_uuid search_label normal legacycfg linux16 linux chain ntldr loadenv echo test sleep
configfile memdisk tar halt reboot"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The built-in configuration runs before normal mode (one plain command a line), so it only
# hands over to the real one, kept in a memdisk.
cat >"$tmp/embedded.cfg" <<'EOT'
normal (memdisk)/grub.cfg
EOT

mkdir "$tmp/memdisk"
cat >"$tmp/memdisk/grub.cfg" <<'EOT'
set timeout=5
set default=0
if search --no-floppy --file --set=root /menu.lst; then
    legacy_configfile /menu.lst
fi
# Reached when the legacy menu returns or there is none: legacy `chainloader /ntldr` cannot start
# NTLDR, GRUB 2's ntldr command can.
menuentry "Windows" {
    search --no-floppy --file --set=root /ntldr
    ntldr /ntldr
}
EOT
tar -C "$tmp/memdisk" --format=ustar --mtime=@0 --owner=0 --group=0 --numeric-owner \
    -cf "$tmp/memdisk.tar" grub.cfg

# shellcheck disable=SC2086
kh_run_logged "$tmp/mkimage.log" grub-mkimage -O i386-pc -d "$GRUB_DIR" -c "$tmp/embedded.cfg" \
    -m "$tmp/memdisk.tar" -p /boot/grub -o "$tmp/core.img" $MODULES

cp "$GRUB_DIR/g2ldr.mbr" "$tmp/grldr"
cat "$GRUB_DIR/g2hdr.img" "$tmp/core.img" >"$tmp/g2ldr"
kh_install "$tmp" "$OUTDIR" grldr g2ldr
