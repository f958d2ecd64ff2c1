#!/bin/bash
# The embedded 32-bit tools under Wine as the program runs them: 7z.exe lists an ISO with -slt,
# extracts it byte for byte and fails a missing one with exit 2; syslinux.exe knows "-sfmar".
# Usage: payload_tools_test.sh PAYLOAD_DIR
source "$(dirname "$0")/lib.sh"
kh_needs_i386 "the shipped 32-bit 7z.exe and syslinux.exe"

kh_fresh_prefix "$WORK/prefix" || exit 1
kh_warm  # Wine's services must not inherit a pipe from a later command
cd "$WORK" || exit 1
cp "$1/7z.exe" "$1/7z.dll" "$1/syslinux.exe" .

# A small image with a nested directory, a long name and binary content.
mkdir -p tree/boot/isolinux tree/LiveOS
printf 'default vesamenu.c32\n' >tree/boot/isolinux/isolinux.cfg
head -c 300000 /dev/urandom >tree/LiveOS/squashfs.img
printf 'a file with a rather long name\n' >tree/A_Long_File_Name_For_Joliet.txt
xorriso -as mkisofs -J -R -V TESTISO -o test.iso tree >/dev/null 2>&1 || fail "xorriso"

wine 7z.exe l -slt test.iso >list.txt 2>&1
expect "7z.exe l -slt: exit code" $? 0
expect "7z.exe l -slt names the files" \
    "$(tr -d '\r' <list.txt |
        grep -cxE 'Path = (LiveOS.squashfs.img|A_Long_File_Name_For_Joliet.txt)')" 2
wine 7z.exe x -y -oout test.iso >extract.txt 2>&1
expect "7z.exe x: exit code" $? 0
diff -r tree out && pass "7z.exe extracts the ISO byte for byte" || fail "the files differ"
wine 7z.exe x -y -oout2 missing.iso >missing.txt 2>&1
expect "7z.exe on a missing archive: exit code" $? 2

wine syslinux.exe >usage.txt 2>&1
for option in stupid force mbr active raid; do
    grep -qE -- "--$option +-${option::1}\\b" usage.txt && pass "syslinux.exe -${option::1}" ||
        fail "syslinux.exe has no --$option -${option::1}"
done

finish
