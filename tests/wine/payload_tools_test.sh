#!/bin/bash
# Usage: payload_tools_test.sh PAYLOAD_DIR. The embedded 32-bit tools where the flows do not take
# them: 7z.exe ends with code 2 on an archive it cannot open (its listing and extraction: the USB
# and hard-disk flows), syslinux.exe knows the options of "-sfmar" (the USB run stops before).
source "$(dirname "$0")/lib.sh"
kh_needs_i386 "the shipped 32-bit 7z.exe and syslinux.exe"

kh_fresh_prefix "$WORK/prefix" || exit 1
kh_warm  # Wine's services must not inherit a pipe from a later command

wine "$1/7z.exe" x -y -o"$WORK/out" "$WORK/missing.iso" >/dev/null 2>&1
expect "7z.exe on a missing archive: exit code" $? 2
usage=$(wine "$1/syslinux.exe" 2>&1)
for option in stupid force mbr active raid; do
    grep -qE -- "--$option +-${option::1}\\b" <<<"$usage" && pass "syslinux.exe -${option::1}" ||
        fail "syslinux.exe has no --$option -${option::1}"
done

finish
