#!/bin/bash
# USB stick boot: a FAT32 stick labelled BOOT holding the tree the USB procedure leaves on it —
# the ISO's files with isolinux\ renamed syslinux\, vmlinuz0 and initrd4disk.img copied to the
# root, the shipped syslinux.cfg and COM32 modules in syslinux\ — and the boot code of
# `syslinux.exe -sfmar`: the same build's ldlinux.sys/ldlinux.c32 (installed by its Linux mtools
# installer), its MBR code (taken from syslinux.exe itself) and the partition marked active.
# The stick sits on xHCI next to an internal disk; SeaBIOS boots the stick.
#
#   timeout: nobody touches the keyboard; the hidden menu counts down and boots the default entry.
#   menu:    a key during the countdown shows the vesamenu menu; Enter boots the highlighted
#            (default) entry.
# The live system passes when the volume root=LABEL=BOOT names exists and holds the live image.
#
# Usage: boot_usb.sh timeout|menu PAYLOAD_DIR LIVE_ISO WORK_DIR ARTIFACT_DIR
. "$(dirname "$0")/lib.sh"

[ $# -eq 5 ] || die "usage: boot_usb.sh timeout|menu PAYLOAD_DIR LIVE_ISO WORK_DIR ARTIFACT_DIR"
MODE=$1 PAYLOADS=$2 ISO=$3 WORK=$4 ARTIFACTS=$5
case $MODE in timeout | menu) ;; *) die "unknown mode $MODE" ;; esac
require_tools sfdisk mkfs.fat mcopy xorriso
for f in syslinux.cfg vesamenu.c32 libcom32.c32 libutil.c32 syslinux.exe syslinux-mtools \
    ldlinux.sys ldlinux.c32; do
    [ -f "$PAYLOADS/$f" ] || die "$PAYLOADS/$f missing (build the payload_files target)"
done

MIB=2048
STICK_MIB=96
mkdir -p "$WORK" "$ARTIFACTS"
STICK=$WORK/stick-$MODE.img
INTERNAL=$WORK/internal-$MODE.img

# The tree, as finishUsbMedia leaves it after 7-Zip extracted the whole ISO.
TREE=$WORK/usb-tree-$MODE
rm -rf "$TREE"
mkdir -p "$TREE"
xorriso -osirrox on -indev "$ISO" -extract / "$TREE" >/dev/null 2>&1 || die "cannot extract $ISO"
chmod -R u+w "$TREE"
mv "$TREE/isolinux" "$TREE/syslinux"
cp "$TREE/syslinux/vmlinuz0" "$TREE/syslinux/initrd4disk.img" "$TREE/"
for f in syslinux.cfg vesamenu.c32 libcom32.c32 libutil.c32; do cp "$PAYLOADS/$f" "$TREE/syslinux/"; done

# MBR code that `syslinux.exe -m` writes: the build's mbr.bin, embedded in syslinux.exe. It starts
# with xor ax,ax; cli; mov ds,ax; mov ss,ax; mov sp,0x7c00; mov si,sp; push es; push di.
stick_mbr() {
    local at
    at=$(grep -obUaP '\x33\xc0\xfa\x8e\xd8\x8e\xd0\xbc\x00\x7c\x89\xe6\x06\x57' \
        "$PAYLOADS/syslinux.exe" | cut -d: -f1)
    [ "$(wc -w <<<"$at")" = 1 ] || die "no single MBR image found in syslinux.exe (found: ${at:-none})"
    dd if="$PAYLOADS/syslinux.exe" bs=1 skip="$at" count=440 status=none
}

rm -f "$STICK"
truncate -s $((STICK_MIB * 1024 * 1024)) "$STICK"
sectors=$(((STICK_MIB - 1) * MIB))
printf 'label: dos\nlabel-id: 0x4b480002\nunit: sectors\nstart=%s, size=%s, type=c, bootable\n' \
    $MIB $sectors | sfdisk -q "$STICK" || die "sfdisk failed"
format_fat32 "$STICK" $MIB $sectors BOOT
mcopy -s -i "$STICK@@$((MIB * 512))" "$TREE"/* ::/ || die "mcopy of the tree failed"
# -s -f -r as syslinux.exe -sfmar; -m and -a are the MBR code and the active flag set here.
"$PAYLOADS/syslinux-mtools" -s -f -r -t $((MIB * 512)) -i "$STICK" >"$WORK/installer.log" 2>&1 ||
    die "syslinux-mtools failed: $(cat "$WORK/installer.log")"
stick_mbr >"$WORK/mbr.bin"
dd if="$WORK/mbr.bin" of="$STICK" conv=notrunc status=none

# The machine's own disk, so that the live system has to pick the stick out by its label.
rm -f "$INTERNAL"
truncate -s 64M "$INTERNAL"
printf 'label: dos\nunit: sectors\nstart=%s, type=c, bootable\n' $MIB | sfdisk -q "$INTERNAL"
format_fat32 "$INTERNAL" $MIB $((63 * MIB)) WINDOWS

# The hidden menu's countdown runs 10 s from about 2 s after the start.
case $MODE in
timeout) EVENTS=(--shot 6:countdown) ;;
menu) EVENTS=(--shot 4:countdown --key 5:spc --shot 7:menu --key 9:ret) ;;
esac
exec python3 "$BOOT_HERE/run_qemu.py" --name "usb-$MODE" --artifacts "$ARTIFACTS" \
    --timeout "${KH_BOOT_TIMEOUT:-150}" "${EVENTS[@]}" -- $(qemu_command) \
    -drive "file=$INTERNAL,format=raw,if=ide,index=0" \
    -device qemu-xhci,id=xhci -drive "file=$STICK,format=raw,if=none,id=stick" \
    -device usb-storage,bus=xhci.0,drive=stick,bootindex=0
