# Shared setup of the Wine GUI tests (sourced). Usage of a test script:
#   <test>.sh EXE_DIR [SCREENSHOT_DIR]
# EXE_DIR holds KorvaneHelper.exe, KorvaneHelper-test.exe and guihelper.exe.
#
# Every script gets its own prefix, work directory and Xvfb display, so the
# scripts can run in parallel.
set -uo pipefail

[ $# -ge 1 ] || {
    echo "usage: $0 EXE_DIR [SCREENSHOT_DIR]" >&2
    exit 2
}
EXE_DIR=$(cd "$1" && pwd)
SHOT_DIR=${2:-$EXE_DIR/../screenshots}
TEST_EXE=$EXE_DIR/KorvaneHelper-test.exe
GUIHELPER=$EXE_DIR/guihelper.exe

source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env.sh"
unset DISPLAY  # a display of our own: a user's desktop must not receive the test windows

WORK=$(mktemp -d "${TMPDIR:-/tmp}/kh-wine.XXXXXX")
APP_PID=
FAILURES=0

cleanup() {
    [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null
    [ -n "$APP_PID" ] && wait "$APP_PID" 2>/dev/null
    kh_stop_xvfb
    rm -rf "$WORK"
}
trap cleanup EXIT

pass() { echo "ok: $*"; }
fail() {
    echo "FAIL: $*"
    FAILURES=$((FAILURES + 1))
}
finish() {
    if [ "$FAILURES" -ne 0 ]; then
        echo "$FAILURES check(s) failed"
        exit 1
    fi
    echo "all checks passed"
    exit 0
}

# expect DESCRIPTION ACTUAL EXPECTED
expect() {
    if [ "$2" == "$3" ]; then
        pass "$1"
    else
        fail "$1: got '$2', expected '$3'"
    fi
}

# The hex of TEXT in GBK, as guihelper prints it after "gbk=".
gbk_hex() { printf '%s' "$1" | iconv -f UTF-8 -t GBK | od -An -tx1 | tr -d ' \n'; }

# field KEY LINE: the value of KEY=... in a guihelper line; "text" runs to the end.
field() {
    case $1 in
        text) sed -n 's/.* text=//p' <<<"$2" ;;
        gbk) sed -n 's/.*\bgbk=\([0-9a-f]*\) text=.*/\1/p' <<<"$2" ;;
        *) sed -n "s/ gbk=.*//; s/.*\\b$1=\\([^ ]*\\).*/\\1/p" <<<"$2" ;;
    esac
}

# gh ARGS...: runs guihelper; its output goes to $WORK/gh.out and stdout.
gh() {
    wine "$GUIHELPER" "$@" >"$WORK/gh.out" 2>"$WORK/gh.err" </dev/null
    local rc=$?
    cat "$WORK/gh.out"
    return $rc
}

# A fresh prefix with a disk image as physical drive 0, C: (the prefix's own
# drive_c) holding the given boot.ini content, and a scenario in which C: is
# partition 1 and active, at the offset of LBA 63.
setup_prefix() {
    kh_fresh_prefix "$WORK/prefix" || exit 1
    kh_make_disk_image "$WORK/disk.img"
    kh_link_disk "$WORK/disk.img"
    write_boot_ini $'[boot loader]\r\ntimeout=30\r\ndefault=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS\r\n'
    printf 'partition C 1 1 32256\n' >"$WORK/scenario.txt"
    export KH_SCENARIO
    KH_SCENARIO=$(kh_windows_path "$WORK/scenario.txt")
    kh_start_xvfb || exit 1
    kh_warm
}

# put_slot IMAGE SECTOR SLOT TYPE FIRST COUNT: one partition table entry.
put_slot() {
    local entry=$(($2 * 512 + 446 + 16 * $3))
    printf "$(printf '\\x00\\x00\\x00\\x00\\x%02x\\x00\\x00\\x00' "$4")" |
        dd of="$1" bs=1 seek="$entry" conv=notrunc status=none
    for value in "$5" "$6"; do
        printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((value & 255)) $((value >> 8 & 255)) \
            $((value >> 16 & 255)) $((value >> 24 & 255)))"
    done | dd of="$1" bs=1 seek=$((entry + 8)) conv=notrunc status=none
    printf '\x55\xaa' | dd of="$1" bs=1 seek=$(($2 * 512 + 510)) conv=notrunc status=none
}

write_boot_ini() { printf '%s' "$1" >"$WINEPREFIX/drive_c/boot.ini"; }

# start_app [EXE]: starts the program (default the test variant) in the background.
start_app() {
    wine "${1:-$TEST_EXE}" >"$WORK/app.out" 2>&1 </dev/null &
    APP_PID=$!
}

# wait_app SECONDS: waits for the program to end and sets APP_EXIT to its exit
# code, or to "running" when it is still there after SECONDS. Not to be run in
# a subshell: only this shell can collect the exit code.
wait_app() {
    local deadline=$((SECONDS + $1))
    APP_EXIT=running
    while kill -0 "$APP_PID" 2>/dev/null; do
        [ "$SECONDS" -ge "$deadline" ] && return
        sleep 0.1
    done
    APP_EXIT=0
    wait "$APP_PID" || APP_EXIT=$?
    APP_PID=
}

# stop_app: closes the main window and makes sure the program is gone.
stop_app() {
    [ -n "$APP_PID" ] || return 0
    gh close >/dev/null
    wait_app 10
    if [ "$APP_EXIT" = running ]; then
        wineserver -k
        wait "$APP_PID" 2>/dev/null
        APP_PID=
    fi
}

# screenshot NAME: the main window's area of the screen into SHOT_DIR/NAME.png.
screenshot() {
    local line geometry
    line=$(gh window) || return 1
    geometry="$(field w "$line")x$(field h "$line")+$(field x "$line")+$(field y "$line")"
    kh_screenshot "$SHOT_DIR/$1.png" "$geometry" && echo "screenshot: $SHOT_DIR/$1.png"
}

# The line of control ID in the last "gh controls" output.
control_line() { grep "^id=$1 " "$WORK/controls.txt"; }
list_controls() { gh controls >"$WORK/controls.txt"; }

# A message box, told from other dialogs by its text control.
MESSAGE_BOX="--class #32770 --with 65535:Static"

# expect_box DESCRIPTION CAPTION TEXT: a message box with exactly CAPTION and
# TEXT (compared as GBK bytes) is showing; it is answered with OK.
expect_box() {
    local box
    if ! box=$(gh $MESSAGE_BOX box); then
        fail "$1: no message box"
        return
    fi
    expect "$1: caption" "$(field gbk "$(grep '^caption ' <<<"$box")")" "$(gbk_hex "$2")"
    expect "$1: text" "$(field gbk "$(grep '^message ' <<<"$box")")" "$(gbk_hex "$3")"
    gh $MESSAGE_BOX click 1:Button >/dev/null || fail "$1: OK not pressed"
    gh $MESSAGE_BOX gone >/dev/null || fail "$1: the box stayed"
}

# expect_no_box DESCRIPTION: no message box shows up within a second.
expect_no_box() {
    if gh --timeout 1000 $MESSAGE_BOX absent >/dev/null; then
        pass "$1"
    else
        fail "$1: $(tr '\n' ' ' <"$WORK/gh.out")"
        gh $MESSAGE_BOX click 1:Button >/dev/null
    fi
}

# states ID...: "ID:enabled/checked" of each control, blank-separated.
states() {
    local id line
    list_controls
    for id in "$@"; do
        line=$(control_line "$id")
        printf '%s:%s%s ' "$id" "$(field enabled "$line")" "$(field checked "$line")"
    done
}
