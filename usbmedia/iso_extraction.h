// The embedded tools written next to the program, and the 7-Zip child that
// extracts the whole ISO onto the target drive.
#pragma once

#include <string>

#include "usbmedia/session.h"

namespace kh::usb {

// Writes 7z.exe, 7z.dll and syslinux.exe next to the program and records
// their paths for deletion. False when one was not written (its message, if it
// has one, is shown and the end requested).
bool writeToolPayloads(UsbState& state);

// Where 7-Zip's report goes while it extracts: next to the tools, and removed
// with them.
std::string progressLogPath(UsbState& state);
// Where the SYSLINUX installer's output goes, recorded for removal with the
// tools.
std::string installerLogPath(UsbState& state);

// Starts the extraction and its copy timer; a child that cannot be started
// ends the creation.
void startIsoExtraction(UsbState& state);

}  // namespace kh::usb
