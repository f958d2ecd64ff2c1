// The embedded tools written next to the program, and the 7-Zip child that
// extracts the whole ISO onto the target drive.
#pragma once

#include <string>

#include "app/app_state.h"

namespace kh::usb {

// Writes 7z.exe, 7z.dll and syslinux.exe next to the program and records
// their paths for deletion. False when one was not written (its message, if it
// has one, is shown and the end requested).
bool writeToolPayloads(AppState& state);

// x -y, output folder the drive root, the ISO quoted, and the "[BOOT]"
// pseudo-folder 7-Zip shows for El Torito images left out.
std::string extractionCommand(char target, const std::string& isoPath);

// Starts the extraction and its copy timer; a child that cannot be started
// ends the creation.
void startIsoExtraction(AppState& state);

}  // namespace kh::usb
