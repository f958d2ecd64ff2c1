# Shared part of the Wine tests, sourced with the arguments of a script that drives the program:
# EXE_DIR (KorvaneHelper.exe, its test variant, guihelper.exe) and SHOT_DIR. Every script has its
# own prefix, work directory and Xvfb display, so the scripts can run in parallel.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env.sh"
unset DISPLAY  # a display of our own: a user's desktop must not receive the test windows

# The program's texts, KH_TEXT_<id> (UTF-8), generated from common/texts.def by the native build.
source "${KH_TEXTS:-$(dirname "${BASH_SOURCE[0]}")/../../build/native/texts.sh}" || exit 1

EXE_DIR=${1:-} SHOT_DIR=${2:-}
PAYLOAD_DIR=${KH_PAYLOAD_DIR:-$EXE_DIR/../payloads}
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
fail() { echo "FAIL: $*" && FAILURES=$((FAILURES + 1)); }
finish() { exit $((FAILURES > 0)); }
# expect DESCRIPTION ACTUAL EXPECTED
expect() { [ "$2" == "$3" ] && pass "$1" || fail "$1: got '$2', expected '$3'"; }
# field KEY LINE, text LINE: KEY's value in a guihelper line, the line's text decoded from GBK.
field() { sed -n "s/.*\\b$1=\\([^ ]*\\).*/\\1/p" <<<"$2"; }
text() { printf '%b' "$(field gbk "$1" | sed 's/../\\x&/g')" | iconv -f GBK -t UTF-8; }
gh() { wine "$EXE_DIR/guihelper.exe" "$@" </dev/null; }

# setup_prefix: a fresh prefix, a disk image as physical drive 0, a boot.ini without our entry on
# C: (the prefix's drive_c), a scenario in which C: is partition 1, active, at LBA 63, and Xvfb.
setup_prefix() {
    kh_fresh_prefix "$WORK/prefix" || exit 1
    kh_make_disk_image "$WORK/disk.img"
    kh_link_disk "$WORK/disk.img"
    local windows='multi(0)disk(0)rdisk(0)partition(1)\WINDOWS'
    printf -v BOOT_INI '%s\r\n' '[boot loader]' timeout=30 "default=$windows" \
        '[operating systems]' "$windows=\"Microsoft Windows XP Professional\" /fastdetect"
    printf '%s' "$BOOT_INI" >"$WINEPREFIX/drive_c/boot.ini"
    printf 'partition C 1 1 32256\n' >"$WORK/scenario.txt"
    export KH_SCENARIO
    KH_SCENARIO=$(kh_windows_path "$WORK/scenario.txt")
    kh_start_xvfb || exit 1
    kh_warm
}

# start_app [EXE]: the program (default the test variant) in the background from a folder of its
# own; it has two minutes to end.
start_app() {
    local exe=${1:-$EXE_DIR/KorvaneHelper-test.exe}
    mkdir -p "$WORK/app" && cp "$exe" "$WORK/app/" || fail "$exe not copied"
    timeout 120 wine "$WORK/app/${exe##*/}" >/dev/null 2>&1 </dev/null &
    APP_PID=$!
}

# plant_users_tools: a 7-Zip of the user's own beside the program; expect_users_tools_kept
# DESCRIPTION: it is untouched, nothing else is beside the program, and no tools folder is left.
plant_users_tools() { mkdir -p "$WORK/app" && printf mine | tee "$WORK/app/7z."{exe,dll} >/dev/null; }
expect_users_tools_kept() {
    expect "$1: the user's 7-Zip" "$(cat "$WORK/app/7z."{exe,dll})" minemine
    expect "$1: files beside the program" "$(ls "$WORK/app" | wc -l)" 3
    expect "$1: tools folders left" "$(find "$WINEPREFIX/drive_c" -name 'KorvaneHelper-*')" ""
}

expect_exit() { wait "$APP_PID"; expect "$1" $? 0; }
screenshot() { kh_screenshot "$SHOT_DIR/$1.png" "$(field geometry "$(gh window)")"; }

BOX="--with 65535:Static"  # a message box, told from other dialogs by its text control

# expect_box DESCRIPTION CAPTION TEXT [BUTTON]: a message box with exactly CAPTION and TEXT (or
# one of the texts TEXT lists as A|B) shows up; it is answered with BUTTON (default 1, OK).
expect_box() {
    local box message
    box=$(gh $BOX window) || { fail "$1: no message box"; return; }
    expect "$1: caption" "$(text "$box")" "$2"
    message=$(text "$(gh $BOX control 65535:Static)")
    [[ "|$3|" == *"|$message|"* ]] && pass "$1: text" || fail "$1: text '$message' is not '$3'"
    gh $BOX click "${4:-1}:Button" >/dev/null || fail "$1: button not pressed"
    gh $BOX gone >/dev/null || fail "$1: the box stayed"
}
