// The boot configuration and the SYSLINUX modules the program puts into the
// stick's syslinux folder from its payloads. They owe nothing to the ISO, so
// they are written while 7-Zip extracts, into a folder of their own on the
// stick, and after the extraction only moved into place: the ISO's own copies
// of the modules land in the folder first and are replaced.
#pragma once

#include <vector>

#include "payloads/write_out.h"
#include "usbmedia/session.h"

namespace kh::usb {

// A file written into the syslinux folder from a payload.
struct BootFile {
    int resourceId;
    const char* name;
};

// The folder in the stick's root that holds them until the finish.
inline constexpr const char* kStagingFolder = "~kh-boot";

// syslinux.cfg and the modules, as written.
std::vector<BootFile> bootFilesWritten();

// Writes them into the staging folder. Silent: whatever fails here is left to
// the finish, which then writes the files as if none had been staged, with
// its boxes.
void stageBootFiles(UsbState& state);

// Puts them into the syslinux folder, moving the staged ones and writing the
// rest: kWritten when all are there, otherwise the outcome of the write that
// failed (its box shown).
payloads::WriteOutcome placeBootFiles(UsbState& state);

// Removes what is left of the staging folder; every end of a creation does.
void discardStagedBootFiles(UsbState& state);

}  // namespace kh::usb
