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
expect "window title" "$(text "$window")" "$KH_TEXT_kWindowTitle"
expect "window rectangle" "$(field geometry "$window")" 500x300+350+200
expect "caption and system menu, no sizing frame, no minimise/maximise boxes" \
    $(($(field style "$window") & 0x00CF0000)) $((0x00C80000))

controls=$(gh controls)
expect "the controls in creation order: id, class, caption" "$(while read -r line; do
    echo "$(field id "$line")|$(field class "$line")|$(text "$line")"
done <<<"$controls")" "103|Edit|
104|Button|$KH_TEXT_kModeGroupCaption
107|Button|$KH_TEXT_kModeHarddiskCaption
101|Button|$KH_TEXT_kModeUsbCaption
106|ComboBox|
100|Button|$KH_TEXT_kBrowseCaption
120|Button|$KH_TEXT_kStatusFormatCaption
121|Button|$KH_TEXT_kStatusCopyCaption
109|Button|$KH_TEXT_kConfiguring
102|Button|$KH_TEXT_kExitCaption
105|Button|$KH_TEXT_kOkCaption"
client=$(field client "$window")
ok=$(grep '^id=105 ' <<<"$controls")
expect "OK placed from the client's real size" "$(field x "$ok"),$(field y "$ok")" \
    "$((${client%x*} - 140)),$((${client#*x} - 33))"
screenshot window-normal

# A second copy while the first runs is refused and ends by itself.
timeout 60 wine "$WORK/app/KorvaneHelper.exe" >/dev/null 2>&1 </dev/null &
second=$!
expect_box "a second copy" "$KH_TEXT_kWarning" "$KH_TEXT_kAlreadyRunning"
wait $second
expect "the second copy's exit code" $? 0

gh click 105 >/dev/null || fail "OK not clickable"
expect_box "OK without an ISO file" "$KH_TEXT_kWarning" "$KH_TEXT_kChooseIsoFirst"

DIALOG="--with 1148:Edit"  # the open-file dialog, told by its file name edit
gh click 100 >/dev/null || fail "browse not clickable"
gh $DIALOG settext 1148:Edit "$iso_path" >/dev/null || fail "file name not typed"
gh $DIALOG click 1:Button >/dev/null || fail "Open not pressed"
gh $DIALOG gone >/dev/null || fail "the open-file dialog stayed"
expect "the edit shows the chosen ISO" "$(text "$(gh control 103)")" "$iso_path"

gh click 102 >/dev/null || fail "exit not clickable"
expect_exit "exit ends the program with code 0"

finish
