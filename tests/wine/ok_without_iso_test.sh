#!/bin/bash
# OK under Wine with no ISO path in hard-disk mode: a warning, and OK is
# enabled again so the user can retry; the program keeps running.
source "$(dirname "$0")/lib.sh"

setup_prefix
start_app "$EXE_DIR/KorvaneHelper.exe"
gh window >/dev/null || fail "the main window did not appear"

gh click 105 >/dev/null || fail "OK not clickable"
expect_box "OK without an ISO file" "警告" "请先选择ISO文件！"
expect "OK enabled again" "$(field enabled "$(gh control 105)")" 1
gh --timeout 500 window >/dev/null || fail "the window went away"

stop_app
finish
