# The tree the USB procedure leaves on a stick, as the Wine and the boot tests expect it (sourced).
# usb_tree ISO PAYLOAD_DIR DEST: the whole ISO in DEST with isolinux\ renamed syslinux\, the kernel
# and the disk initrd copied to the root, the configuration and the menu modules of the
# installer's build in syslinux\.
usb_tree() {
    rm -rf "$3" &&
        xorriso -osirrox on -indev "$1" -extract / "$3" >/dev/null 2>&1 &&
        chmod -R u+w "$3" &&
        mv "$3/isolinux" "$3/syslinux" &&
        cp "$3/syslinux/vmlinuz0" "$3/syslinux/initrd4disk.img" "$3/" &&
        cp "$2"/{syslinux.cfg,vesamenu.c32,libcom32.c32,libutil.c32} "$3/syslinux/"
}
