#!/bin/bash
# USB stick boot: a FAT32 stick labelled BOOT on xHCI, beside an internal disk, holds the tree the
# USB procedure leaves (the ISO's files, isolinux\ renamed syslinux\, vmlinuz0 and initrd4disk.img
# copied to the root, the shipped syslinux.cfg and COM32 modules in syslinux\) and the boot code
# of `syslinux.exe -sfmar`: the same build's ldlinux.sys/ldlinux.c32 (installed by its Linux mtools
# installer), its MBR code (taken from syslinux.exe) and the active flag. MODE timeout lets the
# hidden menu count down; menu presses a key during the countdown, then Enter. The live system
# passes when the volume root=LABEL=BOOT names holds the live image.
. "$(dirname "$0")/lib.sh"
boot_args "timeout|menu" "$@"
shift 4
MODE=$1
COM32="vesamenu.c32 libcom32.c32 libutil.c32"
need_payloads syslinux.cfg $COM32 syslinux.exe syslinux-mtools ldlinux.sys ldlinux.c32
# The hidden menu's countdown runs 10 s from about 2 s after the start.
case $MODE in
timeout) EVENTS=(--shot 6:countdown) ;;
menu) EVENTS=(--shot 4:countdown --key 5:spc --shot 7:menu --key 9:ret) ;;
*) die "unknown mode $MODE" ;;
esac
STICK=$WORK/stick-$MODE.img INTERNAL=$WORK/internal-$MODE.img TREE=$WORK/usb-tree-$MODE

# The tree, as finishUsbMedia leaves it after 7-Zip extracted the whole ISO.
iso_extract / "$TREE"
mv "$TREE/isolinux" "$TREE/syslinux"
cp "$TREE/syslinux/vmlinuz0" "$TREE/syslinux/initrd4disk.img" "$TREE/"
for f in syslinux.cfg $COM32; do cp "$PAYLOADS/$f" "$TREE/syslinux/"; done

rm -f "$STICK" "$INTERNAL"
truncate -s 96M "$STICK"
printf 'label: dos\nlabel-id: 0x4b480002\nstart=%s, type=c, bootable\n' $MIB | sfdisk -q "$STICK"
format_fat32 "$STICK" $MIB $((95 * MIB)) BOOT
mcopy -s -i "$STICK@@$((MIB * 512))" "$TREE"/* ::/ || die "mcopy of the tree failed"
# -s -f -r as syslinux.exe -sfmar; -m and -a are the MBR code and the active flag, set here.
"$PAYLOADS/syslinux-mtools" -s -f -r -t $((MIB * 512)) -i "$STICK" >"$WORK/installer.log" 2>&1 ||
    die "syslinux-mtools failed: $(cat "$WORK/installer.log")"
# syslinux.exe -m writes the build's mbr.bin, embedded in it. That starts with xor ax,ax; cli;
# mov ds,ax; mov ss,ax; mov sp,0x7c00; mov si,sp; push es; push di.
at=$(grep -obUaP '\x33\xc0\xfa\x8e\xd8\x8e\xd0\xbc\x00\x7c\x89\xe6\x06\x57' \
    "$PAYLOADS/syslinux.exe" | cut -d: -f1)
[ "$(wc -w <<<"$at")" = 1 ] || die "no single MBR image in syslinux.exe (found: ${at:-none})"
dd if="$PAYLOADS/syslinux.exe" of="$STICK" bs=1 skip="$at" count=440 conv=notrunc status=none

# The machine's own disk, so that the live system has to pick the stick out by its label.
truncate -s 64M "$INTERNAL"
echo "start=$MIB, type=c, bootable" | sfdisk -q -X dos "$INTERNAL"
format_fat32 "$INTERNAL" $MIB $((63 * MIB)) WINDOWS

exec python3 "$BOOT_HERE/run_qemu.py" "$ARTIFACTS/usb-$MODE" "${EVENTS[@]}" -- \
    -drive "file=$INTERNAL,format=raw,if=ide,index=0" \
    -device qemu-xhci,id=xhci -drive "file=$STICK,format=raw,if=none,id=stick" \
    -device usb-storage,bus=xhci.0,drive=stick,bootindex=0
