// The embedded tools written into the tools folder, and the 7-Zip child that
// extracts the whole ISO onto the target drive.
#pragma once

#include <optional>
#include <string>

#include "usbmedia/session.h"

namespace kh::usb {

// Writes 7z.exe, 7z.dll and syslinux.exe into the tools folder and records
// their paths for deletion. False when one was not written (its message, if it
// has one, is shown and the end requested).
bool writeToolPayloads(UsbState& state);

// Where 7-Zip's report goes while it extracts: beside the tools, and removed
// with them; nothing without a tools folder.
std::optional<std::string> progressLogPath(UsbState& state);

// Starts the extraction and its copy timer; a child that cannot be started
// ends the creation.
void startIsoExtraction(UsbState& state);

}  // namespace kh::usb
