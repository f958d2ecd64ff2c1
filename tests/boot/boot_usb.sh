#!/bin/bash
# USB stick boot: a FAT32 stick labelled BOOT on xHCI, beside an internal disk, holds the tree the
# USB procedure leaves and the boot code of `syslinux.exe -sfmar`. MODE timeout lets the hidden
# menu count down (10 s from about 2 s after the start); menu presses a key in it, then Enter.
. "$(dirname "$0")/lib.sh"
. "$BOOT_HERE/../support/usb_tree.sh"
boot_args "timeout|menu" "$@"
MODE=$5
case $MODE in
timeout) EVENTS=(--shot 6:countdown) ;;
menu) EVENTS=(--shot 4:countdown --key 5:spc --shot 7:menu --key 9:ret) ;;
*) die "unknown mode $MODE" ;;
esac
STICK=$WORK/stick-$MODE.img INTERNAL=$WORK/internal-$MODE.img TREE=$WORK/usb-tree-$MODE

usb_tree "$ISO" "$PAYLOADS" "$TREE" || die "cannot build the stick's tree"
make_disk "$STICK" 96M BOOT "type=c, bootable"
mcopy -s -i "$STICK@@${AT[1]}" "$TREE"/* ::/
# -s -f -r as syslinux.exe -sfmar; -m and -a are the MBR code and the active flag, set here.
"$PAYLOADS/syslinux-mtools" -s -f -r -t "${AT[1]}" -i "$STICK"
# syslinux.exe -m writes its embedded mbr.bin: xor ax,ax; cli; mov ds,ax; mov ss,ax; mov sp,...
at=$(grep -obUaP '\x33\xc0\xfa\x8e\xd8\x8e\xd0\xbc\x00\x7c\x89\xe6\x06\x57' \
    "$PAYLOADS/syslinux.exe" | cut -d: -f1) || die "no MBR code in syslinux.exe"
dd if="$PAYLOADS/syslinux.exe" of="$STICK" bs=1 skip="$at" count=440 conv=notrunc status=none

# The machine's own disk, so that the live system has to pick the stick out by its label.
make_disk "$INTERNAL" 64M WINDOWS "type=c, bootable"
exec python3 "$BOOT_HERE/run_qemu.py" "$ARTIFACTS/usb-$MODE" "$INTERNAL" --stick "$STICK" \
    "${EVENTS[@]}"
