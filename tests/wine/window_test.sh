#!/bin/bash
# The window under Wine, as only the real Win32 shows it (the layout numbers
# and the states after every command sequence are the unit tests'). First the
# shipped program, which finds no system drive here, in its normal look and
# with its buttons; then the test variant with an earlier install's entry in
# boot.ini and removable drives: the restore look and the drive list.
EXE_DIR=$1 SHOT_DIR=$2
source "$(dirname "$0")/lib.sh"

setup_prefix
mkdir -p "$WORK/镜像"
touch "$WORK/镜像/LIVE.ISO" "$WORK/镜像/notes.txt"
iso_path=$(kh_windows_path "$WORK/镜像/LIVE.ISO")
txt_path=$(kh_windows_path "$WORK/镜像/notes.txt")
start_app "$EXE_DIR/KorvaneHelper.exe"

window=$(gh window) || fail "the main window did not appear"
expect "window class" "$(field class "$window")" korvane
expect_gbk "window title" "$(field gbk "$window")" 'KorvaneLinux辅助工具'
expect "window rectangle" "$(field w "$window")x$(field h "$window")+$(field x "$window")+$(
    field y "$window")" 500x300+350+200
expect "caption and system menu, no sizing frame, no minimise/maximise boxes" \
    $(($(field style "$window") & 0x00CF0000)) $((0x00C80000))
# The client size is what the frame of these styles leaves of 500x300.
client=$(field client "$window")
frame=$(field frame "$window")
expect "client size" "$client" "$((500 - ${frame%x*}))x$((300 - ${frame#*x}))"

controls=$(gh controls)
expect "the controls in creation order: id, class, caption" "$(while read -r line; do
    echo "$(field id "$line")|$(field class "$line")|$(from_gbk "$(field gbk "$line")")"
done <<<"$controls")" "103|Edit|
104|Button|请选择
107|Button|硬盘安装：重启从启动菜单即可体验
101|Button| 制作可启动移动设备（U盘）：
106|ComboBox|
100|Button|浏览...
120|Button|正在格式化,请等待......
121|Button|复制文件，已完成:0%
109|Button|正在配置文件，请等待...
102|Button|退出
105|Button|确定"
ok=$(grep '^id=105 ' <<<"$controls")
expect "OK placed from the client's real size" "$(field x "$ok"),$(field y "$ok")" \
    "$((${client%x*} - 140)),$((${client#*x} - 33))"
screenshot window-normal

gh click 105 >/dev/null || fail "OK not clickable"
expect_box "OK without an ISO file" "警告" "请先选择ISO文件！"

gh click 101 >/dev/null || fail "USB radio not clickable"
expect_box "USB mode without a removable drive" "警告" "请先插入U盘!"
# id:enabled+checked for edit, browse, drive list, hard-disk radio, USB radio
expect "USB mode" "$(states 103 100 106 107 101)" "103:10 100:10 106:10 107:10 101:11 "
gh click 107 >/dev/null || fail "hard-disk radio not clickable"
expect "hard-disk mode" "$(states 103 100 106 107 101)" "103:10 100:10 106:00 107:11 101:10 "

DIALOG="--with 1148:Edit"
# open_file PATH|cancel: browse, then type PATH and press Open, or press Cancel.
open_file() {
    gh click 100 >/dev/null || fail "browse not clickable"
    if [ "$1" = cancel ]; then
        gh $DIALOG click 2:Button >/dev/null || fail "Cancel not pressed"
    else
        gh $DIALOG settext 1148:Edit "$1" >/dev/null || fail "file name not typed"
        gh $DIALOG click 1:Button >/dev/null || fail "Open not pressed"
    fi
    gh $DIALOG gone >/dev/null || fail "the open-file dialog stayed"
}
open_file "$iso_path"
expect_gbk "the edit shows the chosen ISO" "$(field gbk "$(gh control 103)")" "$iso_path"
open_file "$txt_path"
expect_box "a .txt file" "警告" " 请选择正确的ISO文件 !"
expect_gbk "the edit shows the wrong file all the same" "$(field gbk "$(gh control 103)")" \
    "$txt_path"
open_file cancel
expect_gbk "cancelling keeps the edit" "$(field gbk "$(gh control 103)")" "$txt_path"

gh click 102 >/dev/null || fail "exit not clickable"
expect_exit "exit ends the program with code 0" 5

# Removable drives are A: (never listed), G: and K:; H: is fixed.
for letter in a g k h; do
    mkdir -p "$WORK/drive-$letter"
    kh_map_drive "$letter" "$WORK/drive-$letter" "$([ $letter = h ] && echo hd || echo floppy)"
done
kh_apply_drive_types || fail "could not set the drive types"
write_boot_ini "$BOOT_INI"$'c:\\grldr="KorvaneLinux"\r\n'
start_app

expect_gbk "the hard-disk radio offers the restore" "$(field gbk "$(gh control 107)")" \
    '恢复到硬盘安装前的设置'
expect "restore look" "$(states 103 100 106 107 101)" "103:00 100:00 106:00 107:11 101:10 "
screenshot window-restore

# drives: the drive list as "selected=N" and the items' text.
drives() {
    local out
    out=$(gh combo 106)
    echo "$(head -n 1 <<<"$out") $(sed -n 's/^item gbk=//p' <<<"$out" | from_hex)"
}
expect "the drive list: G: and K:, G: selected" "$(drives)" "selected=0 G:K:"
gh devicechange >/dev/null || fail "WM_DEVICECHANGE not delivered"
expect "a device arrival rebuilds the list" "$(drives)" "selected=0 G:K:"
gh click 102 >/dev/null || fail "exit not clickable"
expect_exit "exit ends the restore look with code 0" 5

finish
