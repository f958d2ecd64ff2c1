#!/bin/bash
# Produces the loader pair that boot.ini starts, into OUTDIR:
#   grldr  - GRUB 2's NTLDR-compatible stub (g2ldr.mbr of grub-pc-bin); it looks on every
#            partition for g2ldr and starts the first one it finds,
#   g2ldr  - g2hdr.img followed by a GRUB 2 core image built from Debian's grub2 source package
#            with grub-legacy-menu.patch (GBK titles, `chainloader /ntldr' as GRUB's ntldr,
#            `find --set-root', a savedefault file, menu colours). Its built-in configuration
#            reads the menu.lst of the partition it was started from with the legacy menu parser,
#            in a 640x480 graphics menu over the program's splash with a GB2312 font made from
#            unifont, mirrored to the first serial port. If that menu is left with Esc (or none
#            exists) it offers "Windows", which starts /ntldr.
# With KH_GRLDR_FILE naming a packager-supplied grldr, that file is copied as grldr instead and
# no g2ldr is produced.
#
# Usage: build-grldr.sh OUTDIR    (OUTDIR must already hold greengem.xpm)
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

PKG=grub2
VERSION=$(kh_source_version $PKG)
GRUB_PC=/usr/lib/grub/i386-pc
UNIFONT_HEX=/usr/share/unifont/unifont.hex
SPLASH=$OUTDIR/greengem.xpm
for f in "$GRUB_PC/g2ldr.mbr" "$GRUB_PC/g2hdr.img" "$UNIFONT_HEX" "$SPLASH"; do
    [ -f "$f" ] || kh_die "$f missing (packages grub-pc-bin, unifont; greengem.xpm comes first)"
done
# g2ldr.mbr reads all of g2ldr to 2000:0000, in conventional memory that ends where the BIOS
# keeps its extended data (at 9FC00 or, on some machines, lower); 480 KiB stay clear of it.
G2LDR_LIMIT=$((480 * 1024))

# Everything a menu.lst on FAT, NTFS, ext2/3/4 or ISO 9660 may need, the graphics menu and the
# serial terminal; no module is read from disk.
MODULES="biosdisk part_msdos part_gpt fat exfat ntfs ext2 iso9660 search search_fs_file
search_fs_uuid search_label normal legacycfg linux16 linux chain ntldr loadenv echo test sleep
configfile memdisk tar halt reboot serial terminfo vbe gfxterm gfxterm_background tga font"

# The i386-pc kernel and modules, from the patched source (the slow part, cached).
build_modules() {
    local result=$1
    local work=$KH_CACHE/work/$PKG
    kh_unpack_source $PKG "$VERSION" "$work"
    local src=$work/src
    export SOURCE_DATE_EPOCH
    SOURCE_DATE_EPOCH=$(kh_source_epoch "$src")
    kh_run_logged "$work/patch.log" patch -d "$src" -p1 -i "$KH_SCRIPTS/grub-legacy-menu.patch"
    python3 "$KH_SCRIPTS/grub_data.py" gbk-table "$src/grub-core/lib/legacy_gbk_table.h"
    # Debian's patches change the build files, so they are regenerated as Debian's build does.
    (cd "$src" && kh_run_logged "$work/autogen.log" env PYTHON=python3 ./autogen.sh)
    mkdir "$src/obj"
    # Built out of tree with a relative source path, so no absolute path ends up in a module.
    (cd "$src/obj" && kh_run_logged "$work/configure.log" ../configure --with-platform=pc \
        --target=i386 --disable-nls --disable-werror --disable-grub-mkfont --disable-grub-mount \
        --disable-device-mapper --disable-libzfs --disable-grub-themes --disable-efiemu \
        --disable-liblzma --disable-grub-emu-sdl --disable-grub-emu-pci)
    kh_run_logged "$work/build.log" make -C "$src/obj/grub-core" -j2
    mkdir "$result/i386-pc"
    cp "$src/obj/grub-core/"{*.img,*.mod,*.lst} "$result/i386-pc/"
    echo "$VERSION" >"$result/VERSION"
    rm -rf "$work"
}

# Keyed on the build function itself rather than this whole script, so that changing how the
# image is put together below does not rebuild GRUB.
KEY=${VERSION//:/_}-$({
    kh_build_key "grub-legacy-menu.patch grub_data.py" gcc-12 binutils autoconf automake autopoint \
        flex bison libc6
    declare -f build_modules
} | sha256sum | cut -c1-16)
MODULE_DIR=$(kh_cached_build grub-i386-pc "$KEY" build_modules)/i386-pc

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The built-in configuration runs before normal mode (one plain command a line), so it only
# hands over to the real one, kept in a memdisk with the font and the background.
echo 'normal (memdisk)/grub.cfg' >"$tmp/embedded.cfg"
mkdir "$tmp/memdisk"
python3 "$KH_SCRIPTS/grub_data.py" font-bdf "$UNIFONT_HEX" "$tmp/unicode.bdf"
kh_run_logged "$tmp/mkfont.log" grub-mkfont -o "$tmp/memdisk/unicode.pf2" "$tmp/unicode.bdf"
python3 "$KH_SCRIPTS/grub_data.py" splash-tga "$SPLASH" "$tmp/memdisk/splash.tga"
cat >"$tmp/memdisk/grub.cfg" <<'EOT'
# Everything the menu shows also goes to the first serial port, as UTF-8.
serial --unit=0 --speed=115200
terminfo -u serial vt100
set gfxmode=640x480
if loadfont (memdisk)/unicode.pf2; then
    if terminal_output gfxterm; then
        background_image (memdisk)/splash.tga
    fi
fi
terminal_output --append serial
terminal_input --append serial
set timeout=5
set default=0

# The menu of the partition this loader was started from (root already names it); a menu.lst
# elsewhere may be an older boot manager's. Failing that, the one beside a grldr.
if [ -f /menu.lst ]; then
    legacy_configfile /menu.lst
elif search --no-floppy --file --set=root /grldr; then
    if [ -f /menu.lst ]; then
        legacy_configfile /menu.lst
    fi
fi
# Reached when the menu is left with Esc, or there is none.
menuentry "Windows" {
    search --no-floppy --file --set=root /ntldr
    ntldr /ntldr
}
EOT
tar -C "$tmp/memdisk" --format=ustar --mtime=@0 --owner=0 --group=0 --numeric-owner \
    -cf "$tmp/memdisk.tar" grub.cfg unicode.pf2 splash.tga

# shellcheck disable=SC2086
kh_run_logged "$tmp/mkimage.log" grub-mkimage -O i386-pc -d "$MODULE_DIR" -c "$tmp/embedded.cfg" \
    -m "$tmp/memdisk.tar" -p /boot/grub -o "$tmp/core.img" $MODULES

cp "$GRUB_PC/g2ldr.mbr" "$tmp/grldr"
cat "$GRUB_PC/g2hdr.img" "$tmp/core.img" >"$tmp/g2ldr"
size=$(stat -c %s "$tmp/g2ldr")
[ "$size" -le "$G2LDR_LIMIT" ] || kh_die "g2ldr is $size bytes, more than grldr can load ($G2LDR_LIMIT)"
kh_install "$tmp" "$OUTDIR" grldr g2ldr
