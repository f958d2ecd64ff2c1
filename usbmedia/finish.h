// After the extraction: isolinux becomes syslinux, the boot configuration and
// the SYSLINUX modules are put in place, and the installer makes the drive bootable.
#pragma once

#include "usbmedia/session.h"

namespace kh::usb {

void finishUsbMedia(UsbState& state);

}  // namespace kh::usb
