#!/bin/bash
# The USB media creation under Wine with the real executable: a removable G: mapped to a directory,
# No to the format question, the embedded 7-Zip extracting a test ISO with the progress shown while
# it runs, and the tree left on G: checked file by file against the ISO. Wine cannot run the
# installer's raw-volume step, so the creation must end with that error, naming the installer's
# reason, and never claim success. The format question names G: with its label and size.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/../support/usb_tree.sh"

setup_prefix
usb=$WORK/usb tree=$WORK/tree iso=$WORK/镜像/live.iso
mkdir -p "$usb" "$tree"/{isolinux,LiveOS,images} "${iso%/*}"
# Already labelled BOOT: Wine goes on reading the label it found at mount time, so the No route's
# label check passes only for such a stick (the rest: unit tests).
kh_map_drive g "$usb" floppy BOOT
kh_apply_drive_types || fail "could not set the drive type"

# The ISO: an El Torito image (7-Zip shows a "[BOOT]" folder, which must not land on the drive),
# a live image and a large file before it, so that 7-Zip runs long enough to be caught between.
head -c 2048 /dev/urandom >"$tree/isolinux/isolinux.bin"
head -c 300000 /dev/urandom >"$tree/isolinux/vmlinuz0"
head -c 100000 /dev/urandom >"$tree/isolinux/initrd4disk.img"
head -c 100000 /dev/urandom >"$tree/isolinux/initrd0.img"
printf 'default vesamenu.c32\n' >"$tree/isolinux/isolinux.cfg"
printf 'an older build of the module\n' >"$tree/isolinux/vesamenu.c32"
head -c 150000000 /dev/urandom >"$tree/images/extra.img"
head -c 150000000 /dev/urandom >"$tree/LiveOS/squashfs.img"
xorriso -as mkisofs -J -R -V LIVE -b isolinux/isolinux.bin -c isolinux/boot.cat -no-emul-boot \
    -boot-load-size 4 -boot-info-table -o "$iso" "$tree" >/dev/null 2>&1 || fail "xorriso failed"

# A damaged download: the ISO one byte off the SHA256SUMS beside it is refused before the format
# question, G: untouched; the same check then passes the ISO as it was.
(cd "${iso%/*}" && sha256sum live.iso >SHA256SUMS) || fail "no SHA256SUMS"
cp "$iso" "$WORK/good.iso"
printf '\001' | dd of="$iso" bs=1 seek=$(($(stat -c %s "$iso") - 1)) conv=notrunc 2>/dev/null
start_app "$EXE_DIR/KorvaneHelper.exe"
gh settext 103 "$(kh_windows_path "$iso")" >/dev/null || fail "ISO path not typed"
gh click 101 >/dev/null && gh click 105 >/dev/null || fail "USB radio or OK not clickable"
mismatch=${KH_TEXT_kIsoMismatch/\%1/live.iso}
expect_box "the damaged ISO" "$KH_TEXT_kError" "${mismatch/\%2/SHA256SUMS}"
gh click 102 >/dev/null || fail "Exit not clickable"
expect_exit "the damaged ISO: exit code"
expect "the damaged ISO: G: untouched" "$(ls -A "$usb" | grep -v '^\.windows-')" ""
mv "$WORK/good.iso" "$iso"

plant_users_tools
start_app "$EXE_DIR/KorvaneHelper.exe"
gh settext 103 "$(kh_windows_path "$iso")" >/dev/null || fail "ISO path not typed"
# Filled from the real drive types: a fixed C: listed by mistake would be selected instead of G:.
expect "the drive list selects G:" "$(text "$(gh control 106)")" G:
gh click 101 >/dev/null || fail "USB radio not clickable"
gh click 105 >/dev/null || fail "OK not clickable"
# The question names the drive by its letter, label and size (GB of 10^9 bytes, one decimal).
read -r blocks block_size < <(stat -f -c '%b %S' "$usb")
tenths=$(((blocks * block_size + 50000000) / 100000000))
drive=$KH_TEXT_kDriveLabelled
for value in G: BOOT "$((tenths / 10)).$((tenths % 10)) GB"; do drive=${drive/\%s/$value}; done
expect_box "the format question" "$KH_TEXT_kFormatCaption" "${KH_TEXT_kFormatQuestion/\%s/$drive}" 7

# Hold 7-Zip once the live image exists until a copy tick has shown it. 7-Zip gives a file its
# full length when it creates it, so the program shows the percentage 7-Zip reports (-bsp1).
deadline=$((SECONDS + 30))
until [ -e "$usb/LiveOS/squashfs.img" ] || [ "$SECONDS" -ge "$deadline" ]; do sleep 0.01; done
held=$(pgrep -f "7z\.exe\"? x .*${WORK##*/}")  # the 7-Zip extracting our ISO
kill -STOP $held || fail "7-Zip was not caught while extracting"
# 7-Zip and its report live in the run's own folder under the temporary folder.
log=$(find "$WINEPREFIX/drive_c" -path '*/KorvaneHelper-*/7z-progress.log' | head -n1)
[ -n "$log" ] || fail "no progress log in a tools folder"
report=$(tr '\r' '\n' <"$log" | grep -oP '^ *\K[0-9]{1,3}(?=%)' | tail -n1)
percent=${report:-$(($(stat -c %s "$usb/LiveOS/squashfs.img") * 100 / $(stat -c %s "$iso")))}
for _ in $(seq 1 80); do
    status=$(text "$(gh control 121)")
    [ "$status" = "${KH_TEXT_kCopyProgress/\%d/$percent}" ] && break
    sleep 0.1
done
expect "the copy status" "$status" "${KH_TEXT_kCopyProgress/\%d/$percent}"
kill -CONT $held

# The installer cannot reach the raw volume under Wine: its error with the reason it printed, and
# no further box, which would hold the program open.
expect_box "the installer's failure" "$KH_TEXT_kError" \
    "$KH_TEXT_kInstallerFailed"$'\n'"Reading boot sector: 无效的函数。"
expect_exit "the program ends with code 0 and no further box"

ref=$WORK/ref
usb_tree "$iso" "$PAYLOAD_DIR" "$ref" || fail "no reference"
# The installer may leave its loader files before the raw-volume step fails; the [BOOT]
# pseudo-folder is no file of the ISO, so the diff also catches it.
diff -rq -x .windows-label -x .windows-serial -x ldlinux.sys -x ldlinux.c32 "$ref" "$usb" &&
    pass "G: holds the ISO's files with syslinux\\ set up, and nothing else" ||
    fail "G: differs from the expected tree"
expect_users_tools_kept "USB creation"

# A cmd.exe planted beside the program, as in a Downloads folder: Yes to the format question must
# start the system's cmd.exe, never this one, which would show its window and stay. Wine has no
# format.com, so the format fails. The stick is relabelled first: one labelled BOOT looks
# formatted at once.
cp "$EXE_DIR/hello_window.exe" "$WORK/app/cmd.exe" || fail "no program to plant"
printf STICK >"$usb/.windows-label"
kh_apply_drive_types || fail "could not relabel the stick"
start_app "$EXE_DIR/KorvaneHelper.exe"
gh settext 103 "$(kh_windows_path "$iso")" >/dev/null && gh click 101 >/dev/null &&
    gh click 105 >/dev/null || fail "the second creation did not start"
gh $BOX click 6:Button >/dev/null || fail "no format question to answer Yes"
expect_box "the format without format.com" "$KH_TEXT_kError" "$KH_TEXT_kFormatFailed"
expect_exit "the program ends after the failed format"
expect "the planted cmd.exe never ran" "$(pgrep -fc 'app.cmd\.exe')" 0

finish
