#!/bin/sh
# /init of the test live system (busybox). It checks that what the boot configuration promised the
# live system is really there, reports on the first serial port whatever console= says, and powers
# the machine off:
#   isodev=/dev/sdXN (hard-disk boot): that partition mounts and holds, in isodev_dir, an .iso file
#       whose volume label is the one root=CDLABEL= names;
#   root=LABEL=NAME (USB stick boot): a volume labelled NAME exists and holds LiveOS/squashfs.img.
# Result lines: "KH-BOOT: PASS <what>" or "KH-BOOT: FAIL <why>".
PATH=/bin:/sbin
export PATH

mkdir -p /proc /sys /dev /mnt/check
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
param() { # value of the first NAME= word of the kernel command line
    for word in $(cat /proc/cmdline); do
        case $word in "$1="*) echo "${word#*=}"; return 0 ;; esac
    done
    return 1
}
iso_label() { # volume identifier of an ISO 9660 image, trailing blanks removed
    [ "$(dd if="$1" bs=1 skip=32769 count=5 2>/dev/null)" = CD001 ] || return 1
    dd if="$1" bs=1 skip=32808 count=32 2>/dev/null | sed 's/ *$//'
}
wait_for() { # runs the command until it succeeds, at most SECONDS times a second apart
    seconds=$1
    shift
    while ! "$@" >/dev/null 2>&1; do
        seconds=$((seconds - 1))
        [ "$seconds" -gt 0 ] || return 1
        sleep 1
    done
}

say "KH-LIVE-INIT: test live system $(uname -r) started"
say "KH-CMDLINE: $(cat /proc/cmdline)"
for module in $(cat /etc/kh-modules); do modprobe "$module" 2>/dev/null; done

# The ISO named by isodev_dir on isodev, or a list of partitions that do hold such an ISO.
check_hard_disk() {
    isodev=$1
    dir=$(param isodev_dir) || dir=/
    dir=${dir%/}
    want=$(param root) || finish "FAIL isodev= given but no root=CDLABEL="
    case $want in CDLABEL=*) want=${want#CDLABEL=} ;; *) finish "FAIL root=$want is not CDLABEL=" ;; esac
    wait_for 10 test -b /dev/sda || finish "FAIL no disk /dev/sda appeared"
    sleep 1
    say "KH-PARTITIONS: $(awk 'NR > 2 {printf "%s(%s) ", $4, $3}' /proc/partitions)"
    if [ -b "$isodev" ] && mount -t vfat -o ro "$isodev" /mnt/check 2>/dev/null; then
        for iso in /mnt/check"$dir"/*.iso /mnt/check"$dir"/*.ISO; do
            [ -f "$iso" ] || continue
            if [ "$(iso_label "$iso")" = "$want" ]; then
                finish "PASS $isodev holds ${iso#/mnt/check} labelled $want"
            fi
        done
        umount /mnt/check
        reason="$isodev mounts but holds no .iso labelled $want in ${dir:-/}"
    else
        reason="$isodev is not a mountable FAT partition"
    fi
    for part in /dev/sda[0-9]*; do
        mount -t vfat -o ro "$part" /mnt/check 2>/dev/null || continue
        for iso in /mnt/check"$dir"/*.iso; do
            [ -f "$iso" ] && [ "$(iso_label "$iso")" = "$want" ] && reason="$reason; the ISO is on $part"
        done
        umount /mnt/check
    done
    finish "FAIL $reason"
}

check_stick() {
    label=$1
    wait_for 20 findfs "LABEL=$label" || finish "FAIL no volume labelled $label appeared"
    device=$(findfs "LABEL=$label")
    mount -t vfat -o ro "$device" /mnt/check || finish "FAIL $device (LABEL=$label) does not mount"
    [ -f /mnt/check/LiveOS/squashfs.img ] || finish "FAIL $device has no LiveOS/squashfs.img"
    finish "PASS LABEL=$label is $device and holds LiveOS/squashfs.img"
}

if isodev=$(param isodev); then
    check_hard_disk "$isodev"
fi
case $(param root) in
LABEL=*) check_stick "$(param root | sed 's/^LABEL=//')" ;;
esac
finish "FAIL the command line names neither isodev= nor root=LABEL="
