// The stick read back before success is announced: every file the extraction
// put there against its bytes in the ISO, the files the program wrote against
// what it wrote.
#pragma once

#include "usbmedia/session.h"

namespace kh::usb {

// True when every file reads back as it should. Otherwise the first file that
// differs, or why the stick could not be checked, is shown as a failure (the
// end is requested) and false returned.
bool stickReadsBack(UsbState& state);

}  // namespace kh::usb
