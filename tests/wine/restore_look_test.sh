#!/bin/bash
# The restore look under Wine: with an earlier install's entry in boot.ini the
# hard-disk radio offers the restore and the ISO path cannot be chosen, until
# the USB mode is picked; switching back to hard disk locks it again.
source "$(dirname "$0")/lib.sh"

setup_prefix
write_boot_ini $'[boot loader]\r\ntimeout=30\r\ndefault=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS\r\n[operating systems]\r\nmulti(0)disk(0)rdisk(0)partition(1)\\WINDOWS="Microsoft Windows XP Professional" /fastdetect\r\nc:\\grldr="KorvaneLinux"\r\n'
start_app

expect "hard-disk radio offers the restore" "$(field gbk "$(gh control 107)")" \
    "$(gbk_hex '恢复到硬盘安装前的设置')"
# id:enabled+checked for edit, browse, drive list, hard-disk radio, USB radio
expect "restore look: ISO path and browse disabled" "$(states 103 100 106 107 101)" \
    "103:00 100:00 106:00 107:11 101:10 "
screenshot window-restore

gh click 101 >/dev/null || fail "USB radio not clickable"
expect_box "USB mode without a removable drive" "警告" "请先插入U盘!"
expect "USB mode: ISO path, browse and drive list enabled" "$(states 103 100 106 107 101)" \
    "103:10 100:10 106:10 107:10 101:11 "

gh click 107 >/dev/null || fail "hard-disk radio not clickable"
expect_no_box "no message when going back to hard disk"
expect "back to hard disk: ISO path, browse and drive list disabled" \
    "$(states 103 100 106 107 101)" "103:00 100:00 106:00 107:11 101:10 "
expect "the restore caption stays" "$(field gbk "$(gh control 107)")" \
    "$(gbk_hex '恢复到硬盘安装前的设置')"

stop_app
finish
