#!/bin/bash
# Hard-disk boot: the system partition of a disk of layout LAYOUT holds what the install writes
# (menu.lst made by kh_boot_mkmenu) and an ntldr stand-in, the ISO lies in its partition's root, a
# stand-in MBR starts grldr as NTLDR would. CHOICE default boots the first entry, back the ntldr
# and then, with no key pressed, the ntldr again: the menu kept the choice.
. "$(dirname "$0")/lib.sh"
boot_args "LAYOUT default|back MKMENU" "$@"
LAYOUT=$5 CHOICE=$6 MKMENU=$7
# Partitions in table order: the number, then :sys (the system partition, active), :iso, :old
# (another boot manager's menu.lst, which must be neither shown nor booted) or :xf/:x5 (an
# extended partition of that type holding the logical drives that follow). The others are FAT32.
case $LAYOUT in
primaries) PARTS="1:sys 2 3:iso" ;;
extended-0f) PARTS="1:sys 2:xf 5 6:iso" ;;
extended-05) PARTS="1:sys 2:x5 5 6:iso 3" ;;
extended-first) PARTS="1:xf 5:iso 2:sys" ;;
iso-on-system) PARTS="1 2:sys:iso" ;;
extended-slot2) PARTS="1:sys 2 3:xf 5 6 7:iso 4" ;;
other-menu) PARTS="1:old 2:sys 3:iso" ;;
*) die "unknown layout $LAYOUT" ;;
esac
case $CHOICE in
default) NAME=hd-$LAYOUT BACK=() ;;
back) NAME=hd-$LAYOUT-back BACK=(--key 2:down --key 3:ret --expect KH-NTLDR) ;;
*) die "unknown choice $CHOICE" ;;
esac
[ -f "$PAYLOADS/g2ldr" ] || { echo "SKIP: a packager's grldr shows no menu on serial" && exit 77; }
WORK=$WORK/$NAME # boots of one layout may run side by side
IMAGE=$WORK/disk.img
mkdir -p "$WORK"

# 48 MiB partitions; the extended one has room for three, each 1 MiB after its boot record.
table=$'label: dos\nlabel-id: 0x4b480001\n' OLD=""
for token in $PARTS; do
    n=${token%%:*} line="size=48MiB, type=c"
    [[ $token == *:x* ]] && line="size=147MiB, type=${token#*:x}"
    [[ $token: == *:sys:* ]] && SYS=$n line+=", bootable"
    [[ $token: == *:iso:* ]] && ISO_PART=$n
    [[ $token == *:old ]] && OLD=$n
    table+="$IMAGE$n : $line"$'\n'
done
make_disk "$IMAGE" 320M KH "$table"

"$MKMENU" "$IMAGE" "${AT[$SYS]}" "${AT[$ISO_PART]}" "$PAYLOADS/menu.lst" >"$WORK/menu.lst"
cp "$WORK/menu.lst" "$ARTIFACTS/$NAME.menu.lst"
nasm -f bin -o "$WORK/ntldr" "$BOOT_HERE/standin-ntldr.asm"
iso_extract /isolinux "$WORK/isolinux"
mcopy -o -i "$IMAGE@@${AT[$SYS]}" "$PAYLOADS"/{grldr,g2ldr,default,fonts,greengem.xpm} \
    "$WORK"/{ntldr,menu.lst,isolinux/vmlinuz0,isolinux/initrd4disk.img} ::/
mcopy -o -i "$IMAGE@@${AT[$ISO_PART]}" "$ISO" ::/korvane-live.iso
if [ -n "$OLD" ]; then
    printf 'timeout 1\r\ntitle OLD-MENU\r\nkernel /old\r\n' >"$WORK/old.lst"
    mcopy -o -i "$IMAGE@@${AT[$OLD]}" "$WORK/old.lst" ::/menu.lst
fi
# The stand-in MBR loads grldr from sector 64, in the gap before the first partition.
nasm -f bin -o "$WORK/mbr.bin" "$BOOT_HERE/standin-mbr.asm"
dd if="$WORK/mbr.bin" of="$IMAGE" conv=notrunc status=none
dd if="$PAYLOADS/grldr" of="$IMAGE" bs=512 seek=64 conv=notrunc status=none

# The loader mirrors its menu to the serial port; the shot and the keys wait for both titles and
# the Chinese countdown there. Until it hands over (the first KH- line) no English word may go
# there: the Latin left is the titles' and a key name.
boot() { # NAME RUN_QEMU_OPTIONS...
    python3 "$BOOT_HERE/run_qemu.py" "$ARTIFACTS/$1" "$IMAGE" --serial 桌面 --serial 返回 \
        --serial 秒后自动执行 --shot 1:menu "${@:2}" || return
    ! sed 's/\x1b\[[0-9;?]*[A-Za-z]//g; /KH-/,$d' "$ARTIFACTS/$1.serial.log" |
        grep -oE '[A-Za-z]{2,}' | grep -vxE 'KorvaneLinux|rc|Esc' | sort -u ||
        die "English on the serial port"
}
saved() { mtype -i "$IMAGE@@${AT[$SYS]}" ::/default | grep -a '^saved_entry=' || true; }

# Only 返回 carries savedefault; the next boot then starts it unasked.
boot "$NAME" "${BACK[@]}"
[ "$(saved)" = "$([ "$CHOICE" = back ] && echo saved_entry=返回)" ] || die "/default: '$(saved)'"
[ "$CHOICE" = default ] || boot "$NAME-saved" --expect KH-NTLDR
