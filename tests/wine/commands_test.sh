#!/bin/bash
# The product's buttons under Wine: switching between hard disk and USB, the
# open-file dialog (ISO suffix in any case, a wrong file, cancel) and exit.
# Wine answers no partition query, so the product finds no system drive here:
# the window shows in its normal look.
source "$(dirname "$0")/lib.sh"

setup_prefix
iso_dir="$WORK/镜像"
mkdir -p "$iso_dir"
head -c 4096 /dev/zero >"$iso_dir/LIVE.ISO"
printf 'not an image\n' >"$iso_dir/notes.txt"
iso_path=$(kh_windows_path "$iso_dir/LIVE.ISO")
txt_path=$(kh_windows_path "$iso_dir/notes.txt")

start_app "$EXE_DIR/KorvaneHelper.exe"
gh window >/dev/null || fail "the main window did not appear"

# Modes. The list is empty: no removable drive in this prefix.
gh click 101 >/dev/null || fail "USB radio not clickable"
expect_box "USB mode without a removable drive" "警告" "请先插入U盘!"
expect "USB mode: drive list enabled, USB checked" "$(states 103 100 106 107 101)" \
    "103:10 100:10 106:10 107:10 101:11 "
gh click 107 >/dev/null || fail "hard-disk radio not clickable"
expect_no_box "no message when going back to hard disk"
expect "hard-disk mode: drive list disabled, ISO path and browse stay enabled" \
    "$(states 103 100 106 107 101)" "103:10 100:10 106:00 107:11 101:10 "

FILE_DIALOG="--class #32770 --with 1148:Edit"

# choose_file PATH: picks PATH in the open-file dialog.
choose_file() {
    gh click 100 >/dev/null || fail "browse not clickable"
    gh $FILE_DIALOG settext 1148:Edit "$1" >/dev/null || fail "file name not typed"
    gh $FILE_DIALOG click 1:Button >/dev/null || fail "Open not pressed"
    gh $FILE_DIALOG gone >/dev/null || fail "the open-file dialog stayed"
}

choose_file "$iso_path"
expect_no_box "an upper-case .ISO is accepted silently"
expect "the ISO path edit shows the chosen file" "$(field gbk "$(gh control 103)")" \
    "$(gbk_hex "$iso_path")"

choose_file "$txt_path"
expect_box "a .txt file" "警告" " 请选择正确的ISO文件 !"
expect "the edit shows the wrong file all the same" "$(field gbk "$(gh control 103)")" \
    "$(gbk_hex "$txt_path")"
expect "OK enabled after the wrong file" "$(field enabled "$(gh control 105)")" 1

gh click 100 >/dev/null || fail "browse not clickable"
gh $FILE_DIALOG click 2:Button >/dev/null || fail "Cancel not pressed"
gh $FILE_DIALOG gone >/dev/null || fail "the open-file dialog stayed"
expect_no_box "cancelling the dialog says nothing"
expect "cancelling keeps the edit" "$(field gbk "$(gh control 103)")" "$(gbk_hex "$txt_path")"

gh click 102 >/dev/null || fail "exit not clickable"
wait_app 5
expect "exit ends the program with code 0 within 5 s" "$APP_EXIT" 0

finish
