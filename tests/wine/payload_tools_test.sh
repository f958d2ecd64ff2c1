#!/bin/bash
# Runs the embedded Windows tools under Wine: 7z.exe (with 7z.dll) must list and extract an ISO
# 9660/Joliet image byte for byte, and syslinux.exe must start and print its usage.
#
# Usage: payload_tools_test.sh PAYLOAD_DIR WINEPREFIX
# The prefix is made afresh from the template prefix.
set -euo pipefail

[ $# -eq 2 ] || {
    echo "usage: payload_tools_test.sh PAYLOAD_DIR WINEPREFIX" >&2
    exit 2
}
payloads=$(cd "$1" && pwd)
source "$(dirname "$0")/../../scripts/wine-env.sh"
kh_needs_i386 "the shipped 32-bit 7z.exe and syslinux.exe"
unset DISPLAY

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
pass() { echo "ok: $*"; }

kh_fresh_prefix "$2"
kh_warm  # Wine's services must not inherit a pipe from a later command

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$payloads/7z.exe" "$payloads/7z.dll" "$payloads/syslinux.exe" "$work/"

# A small image with a nested directory, a long name and binary content.
mkdir -p "$work/tree/boot/isolinux" "$work/tree/LiveOS"
printf 'default vesamenu.c32\n' >"$work/tree/boot/isolinux/isolinux.cfg"
head -c 300000 /dev/urandom >"$work/tree/LiveOS/squashfs.img"
printf 'a file with a rather long name\n' >"$work/tree/A_Long_File_Name_For_Joliet.txt"
xorriso -as mkisofs -J -R -V TESTISO -o "$work/test.iso" "$work/tree" >/dev/null 2>&1

cd "$work"
rc=0
wine 7z.exe l test.iso >list.txt 2>&1 || rc=$?
if [ "$rc" -eq 0 ] && grep -q 'squashfs.img' list.txt && grep -q 'A_Long_File_Name_For_Joliet.txt' list.txt; then
    pass "7z.exe lists the ISO"
else
    fail "7z.exe l exited $rc"
    cat list.txt
fi

rc=0
wine 7z.exe x -y -oout test.iso >extract.txt 2>&1 || rc=$?
if [ "$rc" -eq 0 ] && diff -r tree out >diff.txt 2>&1; then
    pass "7z.exe extracts the ISO byte for byte"
else
    fail "7z.exe x exited $rc or the files differ"
    cat extract.txt diff.txt
fi

rc=0
wine 7z.exe x -y -oout2 missing.iso >missing.txt 2>&1 || rc=$?
if [ "$rc" -eq 2 ]; then
    pass "7z.exe reports a missing archive as a fatal error (exit 2)"
else
    fail "7z.exe on a missing archive exited $rc, expected 2"
fi

rc=0
wine syslinux.exe >usage.txt 2>&1 || rc=$?
# The options the program relies on: -m (MBR), -a (active), -f (force), -d (directory).
if grep -q '^Usage:' usage.txt && grep -q -- '--mbr  *-m' usage.txt &&
    grep -q -- '--active  *-a' usage.txt && grep -q -- '--force  *-f' usage.txt &&
    grep -q -- '--directory  *-d' usage.txt; then
    pass "syslinux.exe prints its usage (exit $rc)"
else
    fail "syslinux.exe printed no usage (exit $rc)"
    cat usage.txt
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures payload tool check(s) failed"
    exit 1
fi
echo "all payload tool checks passed"
