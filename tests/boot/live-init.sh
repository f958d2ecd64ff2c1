#!/bin/busybox sh
# /init of the test live system. It checks that what the boot configuration promised is there,
# reports "KH-BOOT: PASS <what>" or "KH-BOOT: FAIL <why>" on the first serial port and powers off:
#   isodev=/dev/sdXN (hard disk): that partition holds, in isodev_dir, an .iso file whose volume
#       label is the one root=CDLABEL= names;
#   root=LABEL=NAME (USB stick): a volume labelled NAME holds LiveOS/squashfs.img.
/bin/busybox --install -s
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev

finish() {
    echo "KH-BOOT: $*" >/dev/ttyS0
    poweroff -f
    sleep 60
}
wait_for() { # COMMAND...: runs COMMAND once a second until it succeeds, at most 20 times
    for _ in $(seq 19); do "$@" >/dev/null 2>&1 && return 0 || sleep 1; done
    "$@" >/dev/null 2>&1
}

cmdline=" $(cat /proc/cmdline) "
echo "KH-CMDLINE:$cmdline" >/dev/ttyS0
for module in $(cat /etc/kh-modules); do modprobe "$module" 2>/dev/null; done
arg() { echo "$cmdline" | sed -n "s/.* $1=\([^ ]*\) .*/\1/p"; }
root=$(arg root) isodev=$(arg isodev) dir=$(arg isodev_dir)

if [ -n "$isodev" ]; then
    dir=${dir%/}
    wait_for test -b "$isodev"
    mount -t vfat -o ro "$isodev" /mnt || finish "FAIL $isodev does not mount"
    for iso in /mnt"$dir"/*.iso; do
        label=$(dd if="$iso" bs=1 skip=32808 count=32 2>/dev/null | sed 's/ *$//')
        [ "$root" = "CDLABEL=$label" ] && finish "PASS $isodev holds in ${dir:-/} the .iso $root"
    done
    finish "FAIL $isodev holds no .iso of root=$root in ${dir:-/}"
fi
case $root in LABEL=*)
    wait_for findfs "$root" || finish "FAIL no volume $root appeared"
    device=$(findfs "$root")
    mount -t vfat -o ro "$device" /mnt || finish "FAIL $device ($root) does not mount"
    [ -f /mnt/LiveOS/squashfs.img ] || finish "FAIL $device has no LiveOS/squashfs.img"
    finish "PASS $root is $device and holds LiveOS/squashfs.img"
    ;;
esac
finish "FAIL the command line names neither isodev= nor root=LABEL="
