#!/bin/bash
# The hard-disk side under Wine with the test variant. Start-up failures: no readable first disk,
# an active C: without boot.ini. Then the install on a disk whose extended partition starts at
# exactly 4 GiB (the low 32 bits of its position are 0), with the ISO in a folder of its logical
# D:: Yes to the move, 7-Zip extracting kernel and initrd, Cancel at the restart question. A second
# start shows the restore look and restores. Another GRUB-based boot tool is installed on C: (its
# grldr, its menu.lst and a boot.ini line with a Chinese title): kept aside by the install, given
# back byte for byte by the restore. Before all that, a start and Exit leave boot.ini byte-identical
# with the same attributes (Wine as root keeps only its system mark; read-only stays untested).
source "$(dirname "$0")/lib.sh"

setup_prefix
c=$WINEPREFIX/drive_c

# \\.\PHYSICALDRIVE0 opens on Wine without an image behind it, then the read fails: either
# message is right for a disk that cannot be read.
rm "$WINEPREFIX/dosdevices/physicaldrive0"
start_app
expect_box "no disk" "$KH_TEXT_kError" "$KH_TEXT_kDiskNotFound|$KH_TEXT_kMbrReadError"
expect_exit "no disk: exit code"

kh_link_disk "$WORK/disk.img"
rm "$c/boot.ini"
start_app
expect_box "active C: without boot.ini" "$KH_TEXT_kWarning" "${KH_TEXT_kCannotFind}C:\\boot.ini"
expect_exit "no boot.ini: exit code"

# C: stays partition 1 at LBA 63. Windows numbers the logical drive 2; the menu must say sda5.
ebr=$((4 * 1024 * 1024 * 1024 / 512))
truncate -s 5G "$WORK/disk.img"
sfdisk -q "$WORK/disk.img" <<EOF || fail "sfdisk"
start=63, size=1985, type=7, bootable
start=$ebr, size=2000000, type=f
start=$((ebr + 63)), size=100000, type=7
EOF
printf 'partition D 0 2 %d\nrestart-log %s\n' $(((ebr + 63) * 512)) \
    "$(kh_windows_path "$WORK/restart.log")" >>"$WORK/scenario.txt"
printf 'another tool\x27s loader' >"$c/grldr"
printf 'title \xD2\xBB\xBC\xFC\xBB\xB9\xD4\xAD\r\n' >"$c/menu.lst"  # GBK
cp "$c/grldr" "$c/menu.lst" "$WORK/"
BOOT_INI+=$'C:\\grldr="\xD2\xBB\xBC\xFC\xBB\xB9\xD4\xAD"\r\n'
printf '%s' "$BOOT_INI" >"$c/boot.ini"
cp "$c/boot.ini" "$WORK/boot.ini"
attributes() { wine cmd /c attrib 'C:\boot.ini' 2>/dev/null | tr -d '\r'; }
wine cmd /c attrib +r +h +s 'C:\boot.ini' >/dev/null 2>&1
marked=$(attributes)
# Wine running as root keeps only the system mark of the three; that one must survive.
[[ ${marked%%C:*} == *S* ]] || fail "boot.ini not marked: '$marked'"
start_app
gh window >/dev/null || fail "start and Exit: no window"
gh click 102 >/dev/null || fail "Exit not clickable"
expect_exit "start and Exit: exit code"
cmp -s "$WORK/boot.ini" "$c/boot.ini" && pass "start and Exit: boot.ini byte-identical" ||
    fail "start and Exit: boot.ini changed"
expect "start and Exit: boot.ini's attributes" "$(attributes)" "$marked"
d=$WORK/d
mkdir -p "$d/iso 镜像"
kh_map_drive d "$d" hd
kh_apply_drive_types || fail "could not set the drive type"

tree=$WORK/tree
for file in isolinux/{vmlinuz0,initrd4disk.img,initrd0.img} LiveOS/squashfs.img; do
    head -c 9000 /dev/urandom | install -D /dev/stdin "$tree/$file"
done
xorriso -as mkisofs -J -R -V "$KH_ISO_LABEL" -o "$WORK/live.iso" "$tree" >/dev/null 2>&1 ||
    fail "xorriso"
# A damaged download: the ISO one byte off the SHA256SUMS beside it is refused before the move
# question with nothing changed; the same check then passes the ISO as it was.
damaged="$d/iso 镜像/live.iso" && cp "$WORK/live.iso" "$damaged"
(cd "${damaged%/*}" && sha256sum live.iso >SHA256SUMS) || fail "no SHA256SUMS"
printf '\001' | dd of="$damaged" bs=1 seek=$(($(stat -c %s "$damaged") - 1)) conv=notrunc 2>/dev/null
start_app
gh settext 103 'D:\iso 镜像\live.iso' >/dev/null && gh click 105 >/dev/null || fail "path or OK"
mismatch=${KH_TEXT_kIsoMismatch/\%1/live.iso}
expect_box "the damaged ISO" "$KH_TEXT_kError" "${mismatch/\%2/SHA256SUMS}"
gh click 102 >/dev/null || fail "Exit not clickable"
expect_exit "the damaged ISO: exit code"
[ -e "$damaged" ] && [ ! -e "$d/live.iso" ] && cmp -s "$WORK/grldr" "$c/grldr" &&
    cmp -s "$WORK/boot.ini" "$c/boot.ini" && pass "the damaged ISO: nothing changed" ||
    fail "the damaged ISO changed something"
cp "$WORK/live.iso" "$damaged"

plant_users_tools
start_app
gh settext 103 'D:\iso 镜像\live.iso' >/dev/null || fail "ISO path not typed"
gh click 105 >/dev/null || fail "OK not clickable"
expect_box "the move question" "$KH_TEXT_kNotice" \
    "${KH_TEXT_kMoveQuestion}D:\\iso 镜像\\live.iso${KH_TEXT_kMoveQuestionJoin}D:\\live.iso" 6
gh $BOX window >/dev/null && screenshot hd-install-restart-question
expect_box "the restart question" "$KH_TEXT_kRestartCaption" "$KH_TEXT_kRestartQuestion" 2
expect_exit "the program ends with code 0 after Cancel"
[ -e "$WORK/restart.log" ] && fail "a restart was requested after Cancel"

cmp -s "$WORK/live.iso" "$d/live.iso" && [ ! -e "$d/iso 镜像/live.iso" ] &&
    pass "the ISO moved to D:'s root" || fail "the ISO not moved"
# g2ldr and default come only with the grldr built here; then none may be written.
for source in "$PAYLOAD_DIR"/{grldr,fonts,greengem.xpm,g2ldr,default} \
    "$tree"/isolinux/{vmlinuz0,initrd4disk.img}; do
    name=${source##*/}
    cmp -s <(cat "$source") <(cat "$c/$name") 2>/dev/null && pass "c:\\$name" ||
        fail "c:\\$name differs"
done
[ -e "$c/initrd0.img" ] && fail "more than the two files extracted"
expect_users_tools_kept "the install"

# The ISO's partition is sda5 only when the extended boot record at 4 GiB was read.
expect "menu.lst's entry: the loader's root and the ISO's partition" \
    "$(grep -aoE 'root \(hd0,[0-9]+\)|isodev=/dev/sda[0-9]+' "$c/menu.lst" | tr '\n' ' ')" \
    "root (hd0,0) isodev=/dev/sda5 "
installed=${BOOT_INI/timeout=30/timeout=15}
expect "boot.ini with the entry" "$(cat "$c/boot.ini")" "$installed"$'c:\\grldr="KorvaneLinux"\r'

start_app
screenshot window-restore
gh click 105 >/dev/null || fail "OK not clickable for the restore"
expect_box "the restore" "$KH_TEXT_kRestoreDoneCaption" "$KH_TEXT_kRestoreDone"
expect_exit "the program ends with code 0 after the restore"
left=$(cd "$c" && ls vmlinuz0 initrd4disk.img fonts greengem.xpm g2ldr default korvane.rec \
    *.kh-kept* 2>/dev/null)
expect "the install's files left after the restore" "$left" ""
for name in grldr menu.lst; do
    cmp -s "$WORK/$name" "$c/$name" && pass "the other tool's $name back" ||
        fail "the other tool's $name not back"
done
expect "boot.ini back to the original lines" "$(cat "$c/boot.ini")" "${installed%$'\n'}"
expect "boot.ini's attributes after the restore" "$(attributes)" "$marked"

finish
