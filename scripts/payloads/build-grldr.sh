#!/bin/bash
# Produces the loader pair that boot.ini starts, into OUTDIR:
#   grldr  - GRUB 2's NTLDR-compatible stub (g2ldr.mbr of grub-pc-bin); it looks on every
#            partition for g2ldr and starts the first one it finds,
#   g2ldr  - g2hdr.img followed by a GRUB 2 core image of grub-pc-bin's modules, except for the
#            legacy menu parser, built from Debian's grub2 source package with
#            grub-legacy-menu.patch (GBK titles, `chainloader /ntldr' as GRUB's ntldr,
#            `find --set-root', a savedefault file, menu colours). Its built-in configuration
#            reads the menu.lst of the partition it was started from with the legacy menu parser,
#            in a 640x480 graphics menu over the program's splash with a font made from unifont,
#            mirrored to the first serial port, GRUB's texts in Simplified Chinese (Debian's
#            translation and grub-zh_CN.po). If that menu is left with Esc (or none exists) it
#            offers "Windows", which starts /ntldr,
#   default - an empty GRUB environment block, the file menu.lst's `default' names and its
#            `savedefault' keeps the chosen entry in.
# With KH_GRLDR_FILE naming a packager-supplied grldr, that file is copied as grldr instead and
# neither g2ldr nor default is produced.
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
    rm -rf "$tmp" "$OUTDIR/g2ldr" "$OUTDIR/default"
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
configfile memdisk tar halt reboot serial terminfo vbe gfxterm gfxterm_background tga font gettext"

# Of GRUB's modules only legacycfg (the legacy menu parser) differs from grub-pc-bin's, so only
# it is compiled, from the patched source; everything else is grub-pc-bin's, which must be built
# from the same source version.
PC_VERSION=$(dpkg-query -W -f '${Version}' grub-pc-bin)
[ "$PC_VERSION" = "$VERSION" ] ||
    kh_die "grub-pc-bin is $PC_VERSION but the grub2 source is $VERSION; they must be the same version"

# grub-pc-bin's module directory with legacycfg.mod rebuilt from the patched source (cached).
build_modules() {
    local result=$1
    local work=$KH_CACHE/work/$PKG
    kh_unpack_source $PKG "$VERSION" "$work"
    local src=$work/src obj=$work/src/obj
    local epoch
    epoch=$(kh_source_epoch "$src")
    # The release's own configure and Makefile.in serve: Debian's changes to the build files
    # concern other modules and options, not legacycfg's rule. One timestamp on every file keeps
    # make from regenerating them (with an automake version that is not installed anyway).
    find "$src" -exec touch -h -d "@$epoch" {} +
    mkdir "$obj"
    # Out of tree with a relative source path, so no absolute path ends up in the module; the
    # compiler and version string are Debian's.
    (cd "$obj" && kh_run_logged "$work/configure.log" ../configure --with-platform=pc \
        --target=i386 --disable-nls --disable-werror --disable-grub-mkfont --disable-grub-mount \
        --disable-device-mapper --disable-libzfs --disable-grub-themes --disable-efiemu \
        --disable-liblzma --disable-grub-emu-sdl --disable-grub-emu-pci CC=gcc-12 TARGET_CC=gcc-12 \
        PACKAGE_VERSION="$VERSION" PACKAGE_STRING="GRUB $VERSION")
    # The module records its dependencies from moddep.lst, which make would otherwise derive
    # from every module; grub-pc-bin's is the same list.
    cp "$GRUB_PC/moddep.lst" "$obj/grub-core/"
    local make_mod=(make -C "$obj/grub-core" -o moddep.lst legacycfg.mod)
    # First unpatched: the module must then be byte for byte grub-pc-bin's, or this compiler and
    # configuration do not build what the other modules were built with.
    kh_run_logged "$work/build-unpatched.log" "${make_mod[@]}"
    cmp -s "$obj/grub-core/legacycfg.mod" "$GRUB_PC/legacycfg.mod" ||
        kh_die "legacycfg.mod built from the unpatched source differs from grub-pc-bin's"
    nm -u "$obj/grub-core/legacycfg.module" | sort >"$work/undefined-unpatched"
    kh_run_logged "$work/patch.log" patch -d "$src" -p1 -i "$KH_SCRIPTS/grub-legacy-menu.patch"
    python3 "$KH_SCRIPTS/grub_data.py" gbk-table "$src/grub-core/lib/legacy_gbk_table.h"
    kh_run_logged "$work/build.log" "${make_mod[@]}"
    # A symbol from a module legacycfg did not use before would need a new dependency, which
    # grub-pc-bin's moddep.lst does not have.
    nm -u "$obj/grub-core/legacycfg.module" | sort >"$work/undefined"
    local extra
    extra=$(comm -13 "$work/undefined-unpatched" "$work/undefined")
    [ -z "$extra" ] ||
        kh_die "the patched legacycfg needs symbols the unpatched one did not: ${extra//$'\n'/ }"
    mkdir "$result/i386-pc"
    cp "$GRUB_PC/"{*.img,*.mod,*.lst} "$result/i386-pc/"
    cp "$obj/grub-core/legacycfg.mod" "$result/i386-pc/"
    # GRUB's own texts come from the same source's Simplified Chinese translation.
    cp "$src/po/zh_CN.po" "$result/"
    echo "$VERSION" >"$result/VERSION"
    rm -rf "$work"
}

# Keyed on the build function itself rather than this whole script, so that changing how the
# image is put together below does not rebuild GRUB.
KEY=${VERSION//:/_}-$({
    kh_build_key "grub-legacy-menu.patch grub_data.py" gcc-12 binutils libc6 grub-pc-bin
    declare -f build_modules
} | sha256sum | cut -c1-16)
GRUB_BUILD=$(kh_cached_build grub-i386-pc "$KEY" build_modules)
MODULE_DIR=$GRUB_BUILD/i386-pc

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The built-in configuration runs before normal mode (one plain command a line), so it only
# hands over to the real one, kept in a memdisk with the catalogue, the font and the background.
echo 'normal (memdisk)/grub.cfg' >"$tmp/embedded.cfg"
mkdir -p "$tmp/memdisk/locale"

# GRUB's texts in Simplified Chinese: Debian's translation, behind ours for what it lacks.
msgcat --use-first "$KH_SCRIPTS/grub-zh_CN.po" "$GRUB_BUILD/zh_CN.po" -o "$tmp/zh_CN.po"
kh_run_logged "$tmp/msgfmt.log" msgfmt -o "$tmp/memdisk/locale/zh_CN.mo" "$tmp/zh_CN.po"

cat >"$tmp/memdisk/grub.cfg" <<'EOT'
# Everything the menu shows also goes to the first serial port, as UTF-8. The screen is left out
# while graphics are tried: the BIOS text console cannot show the Chinese of a failure's message.
serial --unit=0 --speed=115200
terminfo -u serial vt100
terminal_input --append serial
terminal_output serial
insmod gettext
set locale_dir=(memdisk)/locale
set lang=zh_CN
set gfxmode=640x480
set graphics=
if loadfont (memdisk)/unicode.pf2; then
    if terminal_output --append gfxterm; then
        background_image (memdisk)/splash.tga
        set graphics=yes
    fi
fi
if [ -z "$graphics" ]; then
    terminal_output --append console
fi
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

# Every character the menu can show: the catalogue, the titles of the menu the install writes
# (the sample menu.lst and the live system's entry, kMenuEntryTitle in common/texts.def) and this
# set-up's own. The font is made with all of them, and the build stops if one did not make it into
# the font.
ROOT=$(cd "$KH_SCRIPTS/../.." && pwd)
{
    msgunfmt "$tmp/memdisk/locale/zh_CN.mo"
    iconv -f GBK -t UTF-8 "$ROOT/payloads/data/menu.lst"
    grep -o '^KH_TEXT(kMenuEntryTitle, "[^"]*"' "$ROOT/common/texts.def"
    cat "$tmp/memdisk/grub.cfg"
} >"$tmp/texts.txt"
python3 "$KH_SCRIPTS/grub_data.py" font-bdf "$UNIFONT_HEX" "$tmp/texts.txt" "$tmp/unicode.bdf"
kh_run_logged "$tmp/mkfont.log" grub-mkfont -o "$tmp/memdisk/unicode.pf2" "$tmp/unicode.bdf"
python3 "$KH_SCRIPTS/grub_data.py" font-covers "$tmp/memdisk/unicode.pf2" "$tmp/texts.txt"
python3 "$KH_SCRIPTS/grub_data.py" splash-tga "$SPLASH" "$tmp/memdisk/splash.tga"
tar -C "$tmp/memdisk" --format=ustar --mtime=@0 --owner=0 --group=0 --numeric-owner \
    -cf "$tmp/memdisk.tar" grub.cfg unicode.pf2 splash.tga locale/zh_CN.mo

# The file menu.lst's `default' names and `savedefault' writes: an empty environment block, which
# GRUB must read as one.
python3 "$KH_SCRIPTS/grub_data.py" env-block "$tmp/default"
variables=$(grub-editenv "$tmp/default" list) || kh_die "grub-editenv cannot read $tmp/default"
[ -z "$variables" ] || kh_die "grub-editenv reads variables in an empty block: $variables"

# shellcheck disable=SC2086
kh_run_logged "$tmp/mkimage.log" grub-mkimage -O i386-pc -d "$MODULE_DIR" -c "$tmp/embedded.cfg" \
    -m "$tmp/memdisk.tar" -p /boot/grub -o "$tmp/core.img" $MODULES

cp "$GRUB_PC/g2ldr.mbr" "$tmp/grldr"
cat "$GRUB_PC/g2hdr.img" "$tmp/core.img" >"$tmp/g2ldr"
size=$(stat -c %s "$tmp/g2ldr")
[ "$size" -le "$G2LDR_LIMIT" ] || kh_die "g2ldr is $size bytes, more than grldr can load ($G2LDR_LIMIT)"
kh_log "g2ldr: $size bytes, $((G2LDR_LIMIT - size)) below what grldr can load"
kh_install "$tmp" "$OUTDIR" grldr g2ldr default
