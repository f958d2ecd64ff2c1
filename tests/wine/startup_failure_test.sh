#!/bin/bash
# Start-up failures under Wine: without a readable first disk the program
# says so before its window shows and ends; with an active C: lacking
# boot.ini it warns and ends. Both end with exit code 0.
source "$(dirname "$0")/lib.sh"

setup_prefix

# \\.\PHYSICALDRIVE0 opens on Wine even without an image behind it; then the
# read fails. Either message is right for a disk that cannot be read.
rm "$WINEPREFIX/dosdevices/physicaldrive0"
start_app
box=$(gh $MESSAGE_BOX box) || fail "no message box without a disk"
expect "no disk: caption" "$(field gbk "$(grep '^caption ' <<<"$box")")" "$(gbk_hex '错误')"
message=$(field gbk "$(grep '^message ' <<<"$box")")
if [ "$message" = "$(gbk_hex '找不到磁盘')" ] || [ "$message" = "$(gbk_hex '读取MBR出错')" ]; then
    pass "no disk: text"
else
    fail "no disk: text is $(field text "$(grep '^message ' <<<"$box")")"
fi
expect "no disk: only the ISO path edit was created" \
    "$(gh --visible any controls | sed 's/^id=\([0-9]*\) .*/\1/' | tr '\n' ' ')" "103 "
gh $MESSAGE_BOX click 1:Button >/dev/null
wait_app 5
expect "no disk: exit code" "$APP_EXIT" 0

kh_link_disk "$WORK/disk.img"
rm "$WINEPREFIX/drive_c/boot.ini"
start_app
expect_box "active C: without boot.ini" "警告" '找不到C:\boot.ini'
wait_app 5
expect "no boot.ini: exit code" "$APP_EXIT" 0

finish
