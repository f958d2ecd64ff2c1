#!/bin/sh
# /init of the test live system (busybox). It checks that what the boot configuration promised the
# live system is really there, reports "KH-BOOT: PASS <what>" or "KH-BOOT: FAIL <why>" on the first
# serial port and powers the machine off:
#   isodev=/dev/sdXN (hard disk): that partition holds, in isodev_dir, an .iso file whose volume
#       label is the one root=CDLABEL= names (a failure names the partitions that do hold it);
#   root=LABEL=NAME (USB stick): a volume labelled NAME holds LiveOS/squashfs.img.
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev

say() { echo "$*" >/dev/ttyS0; }
finish() {
    say "KH-BOOT: $*"
    sync
    poweroff -f
    sleep 60
}
param() { # the value of the first NAME= word of the kernel command line
    for word in $(cat /proc/cmdline); do
        case $word in "$1="*) echo "${word#*=}" && return 0 ;; esac
    done
    return 1
}
wait_for() { # SECONDS COMMAND...: runs COMMAND once a second until it succeeds
    seconds=$1
    shift
    until "$@" >/dev/null 2>&1; do
        seconds=$((seconds - 1))
        [ "$seconds" -gt 0 ] || return 1
        sleep 1
    done
}
has_iso() { # DEVICE: holds in $dir an .iso whose volume label is $want
    mount -t vfat -o ro "$1" /mnt 2>/dev/null || return 1
    found=1
    for iso in /mnt"$dir"/*.iso /mnt"$dir"/*.ISO; do
        label=$(dd if="$iso" bs=1 skip=32808 count=32 2>/dev/null | sed 's/ *$//')
        [ -f "$iso" ] && [ "$label" = "$want" ] && found=0
    done
    umount /mnt
    return $found
}

say "KH-LIVE-INIT: test live system $(uname -r) started"
say "KH-CMDLINE: $(cat /proc/cmdline)"
for module in $(cat /etc/kh-modules); do modprobe "$module" 2>/dev/null; done
root=$(param root) || root=""

if isodev=$(param isodev); then
    dir=$(param isodev_dir) || dir=/
    dir=${dir%/} want=${root#CDLABEL=}
    [ "$want" != "$root" ] || finish "FAIL isodev= given but no root=CDLABEL="
    wait_for 10 test -b "$isodev"
    has_iso "$isodev" && finish "PASS $isodev holds an .iso labelled $want in ${dir:-/}"
    holders=""
    for part in /dev/sda[0-9]*; do has_iso "$part" && holders="$holders $part"; done
    finish "FAIL $isodev holds no .iso labelled $want in ${dir:-/}; it is on:${holders:- none}"
fi
case $root in LABEL=*)
    wait_for 20 findfs "$root" || finish "FAIL no volume $root appeared"
    device=$(findfs "$root")
    mount -t vfat -o ro "$device" /mnt || finish "FAIL $device ($root) does not mount"
    [ -f /mnt/LiveOS/squashfs.img ] || finish "FAIL $device has no LiveOS/squashfs.img"
    finish "PASS $root is $device and holds LiveOS/squashfs.img"
    ;;
esac
finish "FAIL the command line names neither isodev= nor root=LABEL="
