#!/bin/bash
# The partition table of a disk larger than 4 GiB under Wine with the test
# variant: a sparse image whose extended partition, and so its first extended
# boot record, starts at exactly 4 GiB, where the low 32 bits of the position
# are 0. D: is its logical drive. The install must find D: in the table (the
# move question follows); a misread record would leave it out, and the
# install would refuse.
source "$(dirname "$0")/lib.sh"

setup_prefix
ebr=$((4 * 1024 * 1024 * 1024 / 512))
truncate -s 5G "$WORK/disk.img"
put_slot "$WORK/disk.img" 0 1 15 "$ebr" 2000000
put_slot "$WORK/disk.img" "$ebr" 0 7 63 100000
d=$WORK/d
mkdir -p "$d/iso"
printf 'not read by this test' >"$d/iso/live.iso"
kh_map_drive d "$d" hd
kh_apply_drive_types || fail "could not set the drive type"
{
    printf 'partition C 1 1 32256\n'
    printf 'partition D 0 2 %d\n' $(((ebr + 63) * 512))
} >"$WORK/scenario.txt"

start_app
gh window >/dev/null || fail "the main window did not appear"
gh settext 103 'D:\iso\live.iso' >/dev/null || fail "ISO path not typed"
gh click 105 >/dev/null || fail "OK not clickable"
if box=$(gh $MESSAGE_BOX box); then
    expect "the logical drive beyond 4 GiB is found: the move question" \
        "$(field gbk "$(grep '^message ' <<<"$box")")" \
        "$(gbk_hex '是否同意移动文件D:\iso\live.iso 到 D:\live.iso')"
    gh $MESSAGE_BOX click 7:Button >/dev/null || fail "No not pressed"
else
    fail "no message box after OK"
fi
wait_app 15
expect "No ends the program" "$APP_EXIT" 0
[ -e "$d/iso/live.iso" ] && pass "the ISO stays where it was" || fail "the ISO moved"

finish
