#!/bin/bash
# The USB media creation under Wine with the real executable: a removable G:
# mapped to a directory, No to the format question, the embedded 7-Zip
# extracting a test ISO with the progress shown while it runs, and the tree
# left on G: checked file by file against the ISO. Wine cannot run the
# installer's raw-volume step, so the creation must end with that error and
# never claim success.
source "$(dirname "$0")/lib.sh"

PAYLOAD_DIR=${KH_PAYLOAD_DIR:-$EXE_DIR/../payloads}
for file in syslinux.cfg vesamenu.c32 libcom32.c32 libutil.c32; do
    [ -f "$PAYLOAD_DIR/$file" ] || {
        echo "payload $file missing in $PAYLOAD_DIR" >&2
        exit 1
    }
done

setup_prefix
usb=$WORK/usb
mkdir -p "$usb"
# Already labelled BOOT: Wine writes a new label to .windows-label but goes on
# reading the one it found when the drive was mounted, so the No route's check
# of the label can only pass for a stick that has it; the refusal of a label
# that does not read back is tested in the simulated Windows.
kh_map_drive g "$usb" floppy BOOT
kh_apply_drive_types || fail "could not set the drive type"

# The ISO: an El Torito image (7-Zip shows it as a "[BOOT]" folder, which must
# not land on the drive), a live image, and a large file before it, so that
# the live image is about half of the ISO and 7-Zip runs long enough to be
# caught between the two.
tree=$WORK/tree
mkdir -p "$tree/isolinux" "$tree/LiveOS" "$tree/images"
head -c 2048 /dev/urandom >"$tree/isolinux/isolinux.bin"
head -c 300000 /dev/urandom >"$tree/isolinux/vmlinuz0"
head -c 200000 /dev/urandom >"$tree/isolinux/initrd0.img"
head -c 100000 /dev/urandom >"$tree/isolinux/initrd4disk.img"
printf 'default vesamenu.c32\n' >"$tree/isolinux/isolinux.cfg"
printf 'an older build of the module\n' >"$tree/isolinux/vesamenu.c32"
head -c 150000000 /dev/urandom >"$tree/images/extra.img"
head -c 150000000 /dev/urandom >"$tree/LiveOS/squashfs.img"
mkdir -p "$WORK/镜像"
iso=$WORK/镜像/live.iso
xorriso -as mkisofs -J -R -V LIVE -b isolinux/isolinux.bin -c isolinux/boot.cat -no-emul-boot \
    -boot-load-size 4 -boot-info-table -o "$iso" "$tree" >/dev/null 2>&1 || fail "xorriso failed"
iso_bytes=$(stat -c %s "$iso")

# The program runs from a folder of its own: it writes its tools beside itself.
mkdir -p "$WORK/app"
cp "$EXE_DIR/KorvaneHelper.exe" "$WORK/app/"
start_app "$WORK/app/KorvaneHelper.exe"
gh window >/dev/null || fail "the main window did not appear"
gh settext 103 "$(kh_windows_path "$iso")" >/dev/null || fail "ISO path not typed"
gh click 101 >/dev/null || fail "USB radio not clickable"
expect "G: is listed first" "$(field text "$(gh combo 106 | grep -m1 '^item ')")" "G:"
gh click 105 >/dev/null || fail "OK not clickable"

box=$(gh --class '#32770' box) || fail "no format question"
expect "the format question" "$(field gbk "$(grep '^message ' <<<"$box")")" \
    "$(gbk_hex "是否格式化？格式化前请备份自己重要数据。")"
expect "the controls locked while it runs" "$(states 101 107 106 100)" "101:01 107:00 106:00 100:00 "
gh --class '#32770' click 7:Button >/dev/null || fail "No not pressed"

# sevenzip_pid: the 7-Zip this prefix runs, found among our own Wine processes.
sevenzip_pid() {
    local pid
    for pid in $(pgrep -f '7z\.exe'); do
        if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
            echo "$pid"
            return 0
        fi
    done
    return 1
}

# Hold 7-Zip once the live image exists until a copy tick has shown it. 7-Zip
# gives a file its full length when it creates it, so the program shows the
# percentage 7-Zip reports (-bsp1) rather than the image's size.
image=$usb/LiveOS/squashfs.img
held=
for _ in $(seq 1 3000); do
    if [ -e "$image" ]; then
        held=$(sevenzip_pid) && kill -STOP "$held"
        break
    fi
    sleep 0.01
done
if [ -z "$held" ]; then
    fail "7-Zip was not caught while extracting"
else
    report=$(tr '\r' '\n' <"$WORK/app/7z-progress.log" | grep -oE '^ *[0-9]{1,3}%' | tail -n 1 |
        tr -d ' %')
    percent=${report:-$(($(stat -c %s "$image") * 100 / iso_bytes))}
    expected=$(gbk_hex "复制文件，已完成:${percent}%")
    shown=
    for _ in $(seq 1 80); do
        shown=$(field gbk "$(gh control 121)")
        [ "$shown" = "$expected" ] && break
        sleep 0.1
    done
    expect "the copy status at $percent%" "$shown" "$expected"
    expect "the copy status is visible" "$(field visible "$(gh control 121)")" 1
    kill -CONT "$held"
fi

# The installer cannot reach the raw volume under Wine: its error, nothing else.
if box=$(gh --timeout 60000 --class '#32770' box); then
    expect "the installer's failure: caption" "$(field gbk "$(grep '^caption ' <<<"$box")")" \
        "$(gbk_hex "错误")"
    expect "the installer's failure: text" "$(field gbk "$(grep '^message ' <<<"$box")")" \
        "$(gbk_hex "安装SYSLINUX引导失败")"
else
    fail "no message box after the extraction"
fi

# The drive as the ISO would be, with isolinux renamed, the two root copies,
# the configuration and the modules of the installer's build.
ref=$WORK/ref
xorriso -osirrox on -indev "$iso" -extract / "$ref" >/dev/null 2>&1 || fail "reference not extracted"
chmod -R u+w "$ref"
mv "$ref/isolinux" "$ref/syslinux"
cp "$ref/syslinux/vmlinuz0" "$ref/syslinux/initrd4disk.img" "$ref/"
for file in syslinux.cfg vesamenu.c32 libcom32.c32 libutil.c32; do
    cp "$PAYLOAD_DIR/$file" "$ref/syslinux/$file"
done
# The installer may leave its loader files before the raw-volume step fails.
if diff -r -x .windows-label -x .windows-serial -x ldlinux.sys -x ldlinux.c32 "$ref" "$usb" >"$WORK/tree.diff" 2>&1; then
    pass "G: holds the ISO's files with syslinux\\ set up, and nothing else"
else
    fail "G: differs from the expected tree"
    head -20 "$WORK/tree.diff"
fi
[ -e "$usb/[BOOT]" ] && fail "the [BOOT] pseudo-folder was extracted"

gh --class '#32770' click 1:Button >/dev/null || fail "the error box was not answered"
# A further box would hold the program open until answered.
wait_app 10
expect "the program ends with code 0 and no further box" "$APP_EXIT" 0
for tool in 7z.exe 7z.dll syslinux.exe; do
    [ -e "$WORK/app/$tool" ] && fail "$tool left beside the program"
done
pass "the tools are deleted"

finish
