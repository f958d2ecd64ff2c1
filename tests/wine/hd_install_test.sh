#!/bin/bash
# The hard-disk install and the restore under Wine with the test variant: a
# disk whose D: is the first logical drive of an extended partition, the ISO
# in a folder of D:, Yes to the move, the embedded 7-Zip extracting the kernel
# and initrd, Cancel at the restart question; then a second start restores.
# Usage: hd_install_test.sh EXE_DIR [SCREENSHOT_DIR]; KH_PAYLOAD_DIR names the
# payload files the executable was built with.
#
# Wine runs as root here, so a read-only attribute does not keep a file from
# being deleted; the attribute handling is covered by the unit tests only.
source "$(dirname "$0")/lib.sh"

PAYLOAD_DIR=${KH_PAYLOAD_DIR:-$EXE_DIR/../payloads}
for file in grldr fonts greengem.xpm menu.lst; do
    [ -f "$PAYLOAD_DIR/$file" ] || {
        echo "payload $file missing in $PAYLOAD_DIR" >&2
        exit 1
    }
done

setup_prefix
# C: stays slot 0 at LBA 63; an extended partition at 1100 holds D: at 1163.
put_slot "$WORK/disk.img" 0 1 15 1100 900
put_slot "$WORK/disk.img" 1100 0 7 63 500
boot_ini=$'[boot loader]\r\ntimeout=30\r\ndefault=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS\r\n[operating systems]\r\nmulti(0)disk(0)rdisk(0)partition(1)\\WINDOWS="Microsoft Windows XP Professional" /fastdetect\r\n'
write_boot_ini "$boot_ini"
c=$WINEPREFIX/drive_c
d=$WORK/d
mkdir -p "$d/iso 镜像"
kh_map_drive d "$d" hd
kh_apply_drive_types || fail "could not set the drive type"
# Windows numbers the logical drive 2; the menu must say sda5.
{
    printf 'partition C 1 1 32256\n'
    printf 'partition D 0 2 %d\n' $((1163 * 512))
    printf 'restart-log %s\n' "$(kh_windows_path "$WORK/restart.log")"
} >"$WORK/scenario.txt"

tree=$WORK/tree
mkdir -p "$tree/isolinux" "$tree/LiveOS"
head -c 6000 /dev/urandom >"$tree/isolinux/vmlinuz0"
head -c 9000 /dev/urandom >"$tree/isolinux/initrd4disk.img"
head -c 5000 /dev/urandom >"$tree/isolinux/initrd0.img"
head -c 20000 /dev/urandom >"$tree/LiveOS/squashfs.img"
xorriso -as mkisofs -J -R -V LIVE -o "$d/iso 镜像/live.iso" "$tree" >/dev/null 2>&1 ||
    fail "xorriso failed"
cp "$d/iso 镜像/live.iso" "$WORK/live.iso"

mkdir -p "$WORK/app"
cp "$TEST_EXE" "$WORK/app/"
app=$WORK/app/$(basename "$TEST_EXE")

# --- The install.
start_app "$app"
gh window >/dev/null || fail "the main window did not appear"
gh settext 103 'D:\iso 镜像\live.iso' >/dev/null || fail "ISO path not typed"
gh click 105 >/dev/null || fail "OK not clickable"

if box=$(gh --class '#32770' box); then
    expect "the move question" "$(field gbk "$(grep '^message ' <<<"$box")")" \
        "$(gbk_hex '是否同意移动文件D:\iso 镜像\live.iso 到 D:\live.iso')"
    expect "the move question's caption" "$(field gbk "$(grep '^caption ' <<<"$box")")" \
        "$(gbk_hex '提示')"
    gh --class '#32770' click 6:Button >/dev/null || fail "Yes not pressed"
    gh --class '#32770' gone >/dev/null || fail "the move question stayed"
else
    fail "no move question"
fi

if box=$(gh --timeout 60000 --class '#32770' box); then
    expect "the restart question" "$(field gbk "$(grep '^message ' <<<"$box")")" \
        "$(gbk_hex '恭喜完成，是否重启计算机？')"
    expect "the restart question's caption" "$(field gbk "$(grep '^caption ' <<<"$box")")" \
        "$(gbk_hex '重启')"
    screenshot hd-install-restart-question
    gh --class '#32770' click 2:Button >/dev/null || fail "Cancel not pressed"
else
    fail "no restart question: $(tr '\n' ' ' <"$WORK/gh.out")"
fi
wait_app 15
expect "the program ends with code 0 after Cancel" "$APP_EXIT" 0
[ -e "$WORK/restart.log" ] && fail "a restart was requested after Cancel"

cmp -s "$WORK/live.iso" "$d/live.iso" && pass "the ISO is in D:'s root" || fail "ISO not moved"
[ -e "$d/iso 镜像/live.iso" ] && fail "the ISO is still in its folder"
for file in grldr fonts greengem.xpm g2ldr; do
    if [ ! -f "$PAYLOAD_DIR/$file" ]; then
        [ -e "$c/$file" ] && fail "c:\\$file written though the executable carries none"
    elif cmp -s "$PAYLOAD_DIR/$file" "$c/$file"; then
        pass "c:\\$file written"
    else
        fail "c:\\$file differs from its payload"
    fi
done
cmp -s "$tree/isolinux/vmlinuz0" "$c/vmlinuz0" && pass "vmlinuz0 extracted" ||
    fail "vmlinuz0 not extracted"
cmp -s "$tree/isolinux/initrd4disk.img" "$c/initrd4disk.img" && pass "initrd extracted" ||
    fail "initrd4disk.img not extracted"
[ -e "$c/initrd0.img" ] && fail "more than the two files extracted"
for tool in 7z.exe 7z.dll; do
    [ -e "$WORK/app/$tool" ] && fail "$tool left beside the program"
done

expected_menu=$WORK/menu.expected
{
    head -n 11 "$PAYLOAD_DIR/menu.lst"
    printf 'title KorvaneLinux' && printf '桌面' | iconv -f UTF-8 -t GBK && printf '7.0rc\r\n'
    printf 'root (hd0,0)\r\n'
    printf 'kernel /vmlinuz0 root=CDLABEL=korvane-QX2-livecd isodev=/dev/sda5  isodev_dir=/  rootfstype=iso9660 ro liveimg vga=788 quiet \r\n'
    printf 'initrd /initrd4disk.img \r\n\r\n'
    tail -n +12 "$PAYLOAD_DIR/menu.lst"
} >"$expected_menu"
expect "menu.lst has 22 lines" "$(wc -l <"$c/menu.lst")" 22
if cmp -s "$expected_menu" "$c/menu.lst"; then
    pass "menu.lst holds the entry for sda5 before the first title"
else
    fail "menu.lst differs"
    diff <(iconv -f GBK -t UTF-8 "$expected_menu") <(iconv -f GBK -t UTF-8 "$c/menu.lst") | head
fi
expect "boot.ini with the entry" "$(cat "$c/boot.ini")" \
    "$(printf '%s' "${boot_ini/timeout=30/timeout=15}"; printf 'c:\\grldr="KorvaneLinux"\r\n')"

# --- The restore.
start_app "$app"
gh window >/dev/null || fail "the main window did not appear again"
expect "the second start offers the restore" "$(field gbk "$(gh control 107)")" \
    "$(gbk_hex '恢复到硬盘安装前的设置')"
gh click 105 >/dev/null || fail "OK not clickable for the restore"
expect_box "the restore" "成功清除" "如果想重新硬盘安装请继续运行本工具"
wait_app 15
expect "the program ends with code 0 after the restore" "$APP_EXIT" 0
for file in vmlinuz0 menu.lst initrd4disk.img fonts grldr greengem.xpm g2ldr; do
    [ -e "$c/$file" ] && fail "c:\\$file left after the restore"
done
pass "the installed files are gone"
grep -q KorvaneLinux "$c/boot.ini" && fail "boot.ini still holds the entry"
expect "boot.ini back to the original lines" "$(cat "$c/boot.ini")" \
    "$(printf '%s' "${boot_ini/timeout=30/timeout=15}")"
cmp -s "$WORK/live.iso" "$d/live.iso" && pass "the ISO stays" || fail "the ISO went"

finish
