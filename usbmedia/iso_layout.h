// Where the live ISO keeps what the stick boots: the names the checks, the
// copy status and the finish share.
#pragma once

namespace kh::usb {

// The ISO's boot folder; on the stick it becomes the syslinux folder.
inline constexpr const char* kIsolinuxFolder = "isolinux";
// Copied from the boot folder to the root of the stick.
inline constexpr const char* kRootCopies[] = {"vmlinuz0", "initrd4disk.img"};
// What syslinux.cfg boots from the syslinux folder besides vmlinuz0.
inline constexpr const char* kMenuInitrd = "initrd0.img";
// The live system's image, found by root=LABEL=BOOT.
inline constexpr const char* kLiveImage = "LiveOS\\squashfs.img";

}  // namespace kh::usb
