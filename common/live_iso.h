// The live ISO this program installs: the names of the files it boots from,
// where they lie inside it, and the labels the live system finds its root by.
// The hard-disk install, the USB stick and their checks all take them from
// here; the texts that name them (texts.def) are the user's words and stay as
// written.
#pragma once

#include <string>

namespace kh::live {

// The ISO's volume label, by which the live system booted from the hard disk
// finds its root (root=CDLABEL= in the menu entry).
inline constexpr const char* kLabel = "korvane-QX2-livecd";

// The ISO's boot folder; on the stick it becomes the syslinux folder.
inline constexpr const char* kBootFolder = "isolinux";

// The kernel and the initrd in the boot folder, under the same names in the
// root of the system drive and of the stick, where the loaders boot them from.
inline constexpr const char* kKernel = "vmlinuz0";
inline constexpr const char* kInitrd = "initrd4disk.img";
// Copied from the boot folder to the root of the stick.
inline constexpr const char* kRootCopies[] = {kKernel, kInitrd};

// What syslinux.cfg boots from the syslinux folder besides the kernel.
inline constexpr const char* kMenuInitrd = "initrd0.img";

// The live system's image.
inline constexpr const char* kLiveImage = "LiveOS\\squashfs.img";

// The stick's volume label: syslinux.cfg boots root=LABEL=BOOT, so the live
// system started from the stick finds its image on the volume of that label.
inline constexpr const char* kStickLabel = "BOOT";

// "isolinux\name": where `name` lies inside the ISO.
inline std::string inBootFolder(const std::string& name) {
    return std::string(kBootFolder) + "\\" + name;
}

}  // namespace kh::live
