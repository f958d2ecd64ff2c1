#!/bin/bash
# Hard-disk boot: builds a disk with the given partition layout, puts on its system partition what
# the install writes there (grldr, g2ldr, the menu.lst the program's own numbering and menu code
# produce for this disk, fonts, greengem.xpm, vmlinuz0, initrd4disk.img) beside a stand-in for
# Windows' ntldr, and the ISO in the root of its partition, and starts grldr through a stand-in for
# NTLDR's boot-sector entry. CHOICE says what happens in the menu:
#   default  the countdown boots the first entry; the live system passes when isodev= names the
#            partition that holds the ISO;
#   back     arrow down and Enter choose the way back to Windows; it passes when the ntldr
#            stand-in reports KH-NTLDR.
# Either way the menu's titles must reach the serial port as UTF-8 Chinese.
#
# Usage: boot_hd.sh LAYOUT CHOICE PAYLOAD_DIR LIVE_ISO MKMENU WORK_DIR ARTIFACT_DIR
# Layouts (partition number:type:MiB[:sys][:iso][:old], the system partition is the active one;
# logical drives (5, 6, ...) follow their extended partition; :old holds another boot manager's
# menu.lst):
#   primaries        1 system, 2 data, 3 ISO
#   extended-0f      1 system, 2 extended (0x0F) holding 5 data and 6 ISO
#   extended-05      1 system, 2 extended (0x05) holding 5 data and 6 ISO, 3 data after it
#   extended-first   1 extended (0x0F) holding 5 ISO, 2 system
#   iso-on-system    1 data, 2 system holding the ISO too
#   extended-slot2   1 system, 2 data, 3 extended (0x0F) holding 5 data, 6 data and 7 ISO, 4 data
#   other-menu       1 data with an older menu.lst, 2 system, 3 ISO
. "$(dirname "$0")/lib.sh"

[ $# -eq 7 ] || die "usage: boot_hd.sh LAYOUT CHOICE PAYLOAD_DIR LIVE_ISO MKMENU WORK_DIR ARTIFACT_DIR"
LAYOUT=$1 CHOICE=$2 PAYLOADS=$3 ISO=$4 MKMENU=$5 WORK=$6 ARTIFACTS=$7
P=48
case $LAYOUT in
primaries) SPEC="1:c:$P:sys 2:c:$P 3:c:$P:iso" ;;
extended-0f) SPEC="1:c:$P:sys 2:f 5:c:$P 6:c:$P:iso" ;;
extended-05) SPEC="1:c:$P:sys 2:5 5:c:$P 6:c:$P:iso 3:c:$P" ;;
extended-first) SPEC="1:f 5:c:$P:iso 2:c:$P:sys" ;;
iso-on-system) SPEC="1:c:$P 2:c:$P:sys:iso" ;;
extended-slot2) SPEC="1:c:$P:sys 2:c:$P 3:f 5:c:$P 6:c:$P 7:c:$P:iso 4:c:$P" ;;
other-menu) SPEC="1:c:$P:old 2:c:$P:sys 3:c:$P:iso" ;;
*) die "unknown layout $LAYOUT" ;;
esac
NAME=hd-$LAYOUT
case $CHOICE in
default) ;;
back) NAME=$NAME-back ;;
*) die "unknown choice $CHOICE" ;;
esac
require_tools sfdisk mkfs.fat mcopy xorriso nasm
for f in grldr menu.lst fonts greengem.xpm; do
    [ -f "$PAYLOADS/$f" ] || die "$PAYLOADS/$f missing (build the payload_files target)"
done

MIB=2048        # sectors
LOADER_LBA=64   # the loader's copy for the stand-in MBR, in the gap before the first partition
# A folder of its own per boot: boots of one layout may run side by side.
WORK=$WORK/$NAME
mkdir -p "$WORK" "$ARTIFACTS"
IMAGE=$WORK/disk.img

# Partition starts: primaries one after another; each logical drive 1 MiB after its boot record.
declare -A START SIZE TYPE
ORDER=()
SYS="" ISO_PART="" OLD_MENU_PART=""
cursor=$MIB
extended=""
for item in $SPEC; do
    IFS=: read -r number type mib flags <<<"$item"
    flags=":${flags:-}:"
    TYPE[$number]=$type
    ORDER+=("$number")
    case $type in
    f | 5)
        extended=$number
        START[$number]=$cursor
        SIZE[$number]=0
        continue
        ;;
    esac
    size=$((mib * MIB))
    if [ "$number" -ge 5 ]; then
        START[$number]=$((cursor + MIB))
        cursor=$((cursor + MIB + size))
        SIZE[$extended]=$((cursor - START[$extended]))
    else
        START[$number]=$cursor
        cursor=$((cursor + size))
    fi
    SIZE[$number]=$size
    case $flags in *:sys:*) SYS=$number ;; esac
    case $flags in *:iso:*) ISO_PART=$number ;; esac
    case $flags in *:old:*) OLD_MENU_PART=$number ;; esac
done
[ -n "$SYS" ] && [ -n "$ISO_PART" ] || die "layout $LAYOUT names no system or ISO partition"

rm -f "$IMAGE"
truncate -s $(((cursor + MIB) * 512)) "$IMAGE"
{
    echo "label: dos"
    echo "label-id: 0x4b480001"
    echo "unit: sectors"
    for n in "${ORDER[@]}"; do
        line="$IMAGE$n : start=${START[$n]}, size=${SIZE[$n]}, type=${TYPE[$n]}"
        [ "$n" = "$SYS" ] && line="$line, bootable"
        echo "$line"
    done
} >"$WORK/$LAYOUT.sfdisk"
sfdisk -q "$IMAGE" <"$WORK/$LAYOUT.sfdisk" || die "sfdisk failed for $LAYOUT"

for n in "${ORDER[@]}"; do
    case ${TYPE[$n]} in f | 5) continue ;; esac
    label=DATA$n
    [ "$n" = "$ISO_PART" ] && label=ISO$n
    [ "$n" = "$SYS" ] && label=SYSTEM
    format_fat32 "$IMAGE" "${START[$n]}" "${SIZE[$n]}" "$label"
done

# What the install writes on the system partition, the menu last (it needs the table in place).
SYS_AT=$((START[$SYS] * 512))
ISO_AT=$((START[$ISO_PART] * 512))
nasm -f bin -o "$WORK/ntldr" "$BOOT_HERE/standin-ntldr.asm"
files=("$PAYLOADS/grldr" "$PAYLOADS/fonts" "$PAYLOADS/greengem.xpm" "$WORK/ntldr")
[ -f "$PAYLOADS/g2ldr" ] && files+=("$PAYLOADS/g2ldr")
iso_extract "$ISO" /isolinux/vmlinuz0 "$WORK/vmlinuz0"
iso_extract "$ISO" /isolinux/initrd4disk.img "$WORK/initrd4disk.img"
files+=("$WORK/vmlinuz0" "$WORK/initrd4disk.img")
mcopy -o -i "$IMAGE@@$SYS_AT" "${files[@]}" ::/ || die "mcopy to the system partition failed"
numbers=$("$MKMENU" "$IMAGE" "$SYS_AT" "$ISO_AT" "$PAYLOADS/menu.lst" "$WORK/menu-$LAYOUT.lst") ||
    die "mkmenu failed"
mcopy -o -i "$IMAGE@@$SYS_AT" "$WORK/menu-$LAYOUT.lst" ::/menu.lst || die "mcopy menu.lst failed"
mcopy -o -i "$IMAGE@@$ISO_AT" "$ISO" ::/korvane-live.iso || die "mcopy of the ISO failed"
cp "$WORK/menu-$LAYOUT.lst" "$ARTIFACTS/$NAME.menu.lst"
echo "layout $LAYOUT: system partition $SYS, ISO on partition $ISO_PART; program's numbers: $numbers"
if [ -n "$OLD_MENU_PART" ]; then
    # What an earlier boot manager may have left: shown or booted, it fails the test.
    printf 'timeout 1\r\ndefault 0\r\n\r\ntitle OLD-MENU\r\nroot (hd0,0)\r\nkernel /old-kernel\r\n' \
        >"$WORK/old-menu.lst"
    mcopy -o -i "$IMAGE@@$((START[$OLD_MENU_PART] * 512))" "$WORK/old-menu.lst" ::/menu.lst ||
        die "mcopy of the older menu.lst failed"
fi

# The stand-in for NTLDR, and grldr where it reads it.
loader_sectors=$((($(stat -c %s "$PAYLOADS/grldr") + 511) / 512))
[ "$loader_sectors" -le 127 ] && [ $((LOADER_LBA + loader_sectors)) -le "$MIB" ] ||
    die "grldr ($loader_sectors sectors) does not fit the stand-in's single read"
nasm -f bin -DLOADER_LBA=$LOADER_LBA -DLOADER_SECTORS="$loader_sectors" \
    -o "$WORK/standin.bin" "$BOOT_HERE/standin-mbr.asm"
dd if="$WORK/standin.bin" of="$IMAGE" conv=notrunc status=none
dd if="$PAYLOADS/grldr" of="$IMAGE" bs=512 seek=$LOADER_LBA conv=notrunc status=none

# The menu counts down 10 s. Our loader mirrors its screen to the serial port, so the screen dump
# and the keys wait for the last title to appear there; a packager's grldr says nothing there.
BACK=返回
if [ -f "$PAYLOADS/g2ldr" ]; then
    EVENTS=(--after-serial "$BACK" --serial-contains 桌面 --serial-contains "$BACK" --shot 1:menu)
    [ "$CHOICE" = back ] && EVENTS+=(--key 2:down --key 3:ret --expect-line KH-NTLDR)
else
    [ "$CHOICE" = back ] && skip "the way back is only checked with the loader the build makes"
    EVENTS=(--shot 7:menu)
fi
exec python3 "$BOOT_HERE/run_qemu.py" --name "$NAME" --artifacts "$ARTIFACTS" \
    --timeout "${KH_BOOT_TIMEOUT:-150}" "${EVENTS[@]}" -- $(qemu_command) \
    -drive "file=$IMAGE,format=raw,if=ide,index=0"
