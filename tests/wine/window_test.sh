#!/bin/bash
# The main window under Wine as a user first sees it: class, title, frame,
# the eleven controls (creation order, class, caption as GBK bytes, position
# in client coordinates, state) and a screenshot of the normal look.
source "$(dirname "$0")/lib.sh"

setup_prefix
start_app

window=$(gh window) || fail "the main window did not appear"
expect "window class" "$(field class "$window")" korvane
expect "window title (GBK)" "$(field gbk "$window")" "$(gbk_hex 'KorvaneLinux辅助工具')"
expect "window size" "$(field w "$window")x$(field h "$window")" 500x300
expect "window position" "$(field x "$window"),$(field y "$window")" 350,200
style=$(field style "$window")
expect "caption and system menu, no sizing frame, no minimise/maximise boxes" \
    $((style & 0x00CF0000)) $((0x00C80000))

# The client size is what the frame of these styles leaves of 500x300.
client=$(field client "$window")
frame=$(field frame "$window")
W=${client%x*}
H=${client#*x}
expect "client size" "$client" "$((500 - ${frame%x*}))x$((300 - ${frame#*x}))"

# id class caption x y w h enabled visible checked button-type
expected=(
    "103|Edit||115|186|275|25|1|1|0|"
    "104|Button|请选择|50|55|395|120|1|1|0|7"
    "107|Button|硬盘安装：重启从启动菜单即可体验|95|87|330|20|1|1|1|9"
    "101|Button| 制作可启动移动设备（U盘）：|95|125|225|22|1|1|0|9"
    "106|ComboBox||320|125|45||0|1|0|"
    "100|Button|浏览...|395|185|50|26|1|1|0|0"
    "120|Button|正在格式化,请等待......|120|$((H - 33))|180|26|1|0|0|0"
    "121|Button|复制文件，已完成:0%|120|$((H - 33))|180|26|1|0|0|0"
    "109|Button|正在配置文件，请等待...|47|$((H - 33))|280|26|1|0|0|0"
    "102|Button|退出|$((W - 75))|$((H - 33))|45|26|1|1|0|0"
    "105|Button|确定|$((W - 140))|$((H - 33))|45|26|1|1|0|0"
)
list_controls
expect "controls in creation order" "$(sed 's/^id=\([0-9]*\) .*/\1/' "$WORK/controls.txt" | tr '\n' ' ')" \
    "103 104 107 101 106 100 120 121 109 102 105 "

for spec in "${expected[@]}"; do
    IFS='|' read -r id class caption x y w h enabled visible checked type <<<"$spec"
    line=$(control_line "$id")
    if [ -z "$line" ]; then
        fail "control $id missing"
        continue
    fi
    actual="$(field class "$line") $(field gbk "$line") $(field x "$line"),$(field y "$line")"
    actual+=" $(field w "$line") $(field enabled "$line")$(field visible "$line")$(field checked "$line")"
    wanted="$class $(gbk_hex "$caption") $x,$y $w $enabled$visible$checked"
    expect "control $id ($caption): class, caption, position, width, enabled/visible/checked" \
        "$actual" "$wanted"
    # A drop-down list reports the height of its closed field, not the table's.
    [ -n "$h" ] && expect "control $id height" "$(field h "$line")" "$h"
    [ -n "$type" ] && expect "control $id button type" $(($(field style "$line") & 0xF)) "$type"
done

screenshot window-normal
stop_app
finish
