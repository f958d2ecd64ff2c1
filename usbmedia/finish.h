// After the extraction: isolinux becomes syslinux, the boot configuration and
// the SYSLINUX modules are written, and the installer makes the drive bootable.
#pragma once

#include <vector>

#include "usbmedia/session.h"

namespace kh::usb {

// A file the finish writes into the syslinux folder from a payload.
struct BootFile {
    int resourceId;
    const char* name;
};

// syslinux.cfg and the modules, as written.
std::vector<BootFile> bootFilesWritten();

void finishUsbMedia(UsbState& state);

}  // namespace kh::usb
