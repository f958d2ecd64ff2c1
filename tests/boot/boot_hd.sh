#!/bin/bash
# Hard-disk boot: a disk of the given partition layout holds on its system partition what the
# install writes there (grldr, g2ldr, fonts, greengem.xpm, vmlinuz0, initrd4disk.img and the
# menu.lst of the program's own scan, install plan and menu rewrite of this disk) beside a stand-in
# for Windows' ntldr, and the ISO in the root of its partition; a stand-in MBR starts grldr as
# NTLDR would. The menu titles must reach the serial port as UTF-8 Chinese. CHOICE default lets
# the countdown boot the first entry, which passes when isodev= names the ISO's partition; back
# takes the way back to Windows (arrow down, Enter), which passes when the ntldr stand-in answers.
. "$(dirname "$0")/lib.sh"
boot_args "LAYOUT default|back MKMENU" "$@"
shift 4
LAYOUT=$1 CHOICE=$2 MKMENU=$3
# Partitions in table order: the number, then :sys (the system partition, active), :iso, :old
# (another boot manager's menu.lst, which must be neither shown nor booted) or :xf/:x5 (an
# extended partition of that type holding the logical drives that follow). The others are FAT32.
case $LAYOUT in
primaries) SPEC="1:sys 2 3:iso" ;;
extended-0f) SPEC="1:sys 2:xf 5 6:iso" ;;
extended-05) SPEC="1:sys 2:x5 5 6:iso 3" ;;
extended-first) SPEC="1:xf 5:iso 2:sys" ;;
iso-on-system) SPEC="1 2:sys:iso" ;;
extended-slot2) SPEC="1:sys 2 3:xf 5 6 7:iso 4" ;;
other-menu) SPEC="1:old 2:sys 3:iso" ;;
*) die "unknown layout $LAYOUT" ;;
esac
case $CHOICE in
default) NAME=hd-$LAYOUT ;;
back) NAME=hd-$LAYOUT-back ;;
*) die "unknown choice $CHOICE" ;;
esac
need_payloads grldr menu.lst fonts greengem.xpm
WORK=$WORK/$NAME # boots of one layout may run side by side
IMAGE=$WORK/disk.img
mkdir -p "$WORK"

# 48 MiB partitions; the extended one has room for three, each 1 MiB after its boot record.
table=$'label: dos\nlabel-id: 0x4b480001\n' OLD=""
for token in $SPEC; do
    n=${token%%:*} line="size=48MiB, type=c"
    [[ $token == *:x* ]] && line="size=147MiB, type=${token#*:x}"
    [[ $token: == *:sys:* ]] && SYS=$n line+=", bootable"
    [[ $token: == *:iso:* ]] && ISO_PART=$n
    [[ $token == *:old ]] && OLD=$n
    table+="$IMAGE$n : $line"$'\n'
done
rm -f "$IMAGE" && truncate -s 320M "$IMAGE"
sfdisk -q "$IMAGE" <<<"$table" || die "sfdisk failed for $LAYOUT"
declare -A START
while read -r n start size; do
    START[$n]=$start
    format_fat32 "$IMAGE" "$start" "$size" "PART$n"
done < <(sfdisk -d "$IMAGE" |
    sed -En 's/.*img([0-9]+) : start= *([0-9]+), size= *([0-9]+), type=c.*/\1 \2 \3/p')

# What the install writes on the system partition.
SYS_AT=$((START[$SYS] * 512)) ISO_AT=$((START[$ISO_PART] * 512))
"$MKMENU" "$IMAGE" $SYS_AT $ISO_AT "$PAYLOADS/menu.lst" >"$WORK/menu.lst" || die "mkmenu failed"
cp "$WORK/menu.lst" "$ARTIFACTS/$NAME.menu.lst"
nasm -f bin -o "$WORK/ntldr" "$BOOT_HERE/standin-ntldr.asm"
iso_extract /isolinux "$WORK/isolinux"
files=("$PAYLOADS"/{grldr,fonts,greengem.xpm} "$WORK"/{ntldr,menu.lst,isolinux/vmlinuz0})
files+=("$WORK/isolinux/initrd4disk.img")
[ -f "$PAYLOADS/g2ldr" ] && files+=("$PAYLOADS/g2ldr")
mcopy -o -i "$IMAGE@@$SYS_AT" "${files[@]}" ::/ || die "mcopy to the system partition failed"
mcopy -o -i "$IMAGE@@$ISO_AT" "$ISO" ::/korvane-live.iso || die "mcopy of the ISO failed"
if [ -n "$OLD" ]; then
    printf 'timeout 1\r\ntitle OLD-MENU\r\nkernel /old\r\n' >"$WORK/old.lst"
    mcopy -o -i "$IMAGE@@$((START[$OLD] * 512))" "$WORK/old.lst" ::/menu.lst || die "mcopy failed"
fi

# The stand-in MBR reads 64 sectors from sector 64 of the gap before the first partition.
[ "$(stat -c %s "$PAYLOADS/grldr")" -le $((64 * 512)) ] || die "grldr exceeds the stand-in's read"
nasm -f bin -o "$WORK/mbr.bin" "$BOOT_HERE/standin-mbr.asm"
dd if="$WORK/mbr.bin" of="$IMAGE" conv=notrunc status=none
dd if="$PAYLOADS/grldr" of="$IMAGE" bs=512 seek=64 conv=notrunc status=none

# The menu counts down 10 s. Our loader mirrors its screen to the serial port, so the screen dump
# and the keys wait for the last title to appear there; a packager's grldr says nothing there.
if [ -f "$PAYLOADS/g2ldr" ]; then
    EVENTS=(--after-serial 返回 --serial-contains 桌面 --serial-contains 返回 --shot 1:menu)
    [ "$CHOICE" = default ] || EVENTS+=(--key 2:down --key 3:ret --expect-line KH-NTLDR)
else
    [ "$CHOICE" = default ] || { echo "SKIP: the way back needs the build's loader" && exit 77; }
    EVENTS=(--shot 7:menu)
fi
exec python3 "$BOOT_HERE/run_qemu.py" "$ARTIFACTS/$NAME" "${EVENTS[@]}" -- \
    -drive "file=$IMAGE,format=raw,if=ide,index=0"
