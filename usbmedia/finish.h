// After the extraction: isolinux becomes syslinux, the boot configuration and
// the SYSLINUX modules are written, and the installer makes the drive bootable.
#pragma once

#include "app/app_state.h"

namespace kh::usb {

void finishUsbMedia(AppState& state);

}  // namespace kh::usb
