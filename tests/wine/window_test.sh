#!/bin/bash
# The shipped program's window under Wine as only the real Win32 shows it (layout numbers, states
# and the drive list are the unit tests'): class, title, frame, the controls with their GBK
# captions; a second copy refused; OK reaching a real message box, the open-file dialog filling the edit, the exit. The program finds no system drive here; the hard-disk test shoots the restore.
source "$(dirname "$0")/lib.sh"

setup_prefix
install -D /dev/null "$WORK/镜像/LIVE.ISO"
iso_path=$(kh_windows_path "$WORK/镜像/LIVE.ISO")
start_app "$EXE_DIR/KorvaneHelper.exe"

window=$(gh window) || fail "the main window did not appear"
expect "window class" "$(field class "$window")" korvane
expect "window title" "$(text "$window")" 'KorvaneLinux辅助工具'
expect "window rectangle" "$(field geometry "$window")" 500x300+350+200
expect "caption and system menu, no sizing frame, no minimise/maximise boxes" \
    $(($(field style "$window") & 0x00CF0000)) $((0x00C80000))

controls=$(gh controls)
expect "the controls in creation order: id, class, caption" "$(while read -r line; do
    echo "$(field id "$line")|$(field class "$line")|$(text "$line")"
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
client=$(field client "$window")
ok=$(grep '^id=105 ' <<<"$controls")
expect "OK placed from the client's real size" "$(field x "$ok"),$(field y "$ok")" \
    "$((${client%x*} - 140)),$((${client#*x} - 33))"
screenshot window-normal

# A second copy while the first runs is refused and ends by itself.
timeout 60 wine "$WORK/app/KorvaneHelper.exe" >/dev/null 2>&1 </dev/null &
second=$!
expect_box "a second copy" "警告" "本程序已经在运行，请不要同时运行多个"
wait $second
expect "the second copy's exit code" $? 0

gh click 105 >/dev/null || fail "OK not clickable"
expect_box "OK without an ISO file" "警告" "请先选择ISO文件！"

DIALOG="--with 1148:Edit"  # the open-file dialog, told by its file name edit
gh click 100 >/dev/null || fail "browse not clickable"
gh $DIALOG settext 1148:Edit "$iso_path" >/dev/null || fail "file name not typed"
gh $DIALOG click 1:Button >/dev/null || fail "Open not pressed"
gh $DIALOG gone >/dev/null || fail "the open-file dialog stayed"
expect "the edit shows the chosen ISO" "$(text "$(gh control 103)")" "$iso_path"

gh click 102 >/dev/null || fail "exit not clickable"
expect_exit "exit ends the program with code 0"

finish
