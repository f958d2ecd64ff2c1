// The hard-disk procedures the OK button hands over to.
#pragma once

#include <string>

#include "hdinstall/disk_state.h"

namespace kh::hd {

// What the window hands over: the ISO path it accepted.
struct InstallRequest {
    std::string isoPath;
};

// Moves the ISO to its drive's root, adds the boot entry, writes the boot
// files and offers the restart. Every refusal and failure shows its message.
void runInstall(DiskState& state, const InstallRequest& request);

// Takes the boot entry out of boot.ini and deletes the installed files.
void runRestore(DiskState& state);

}  // namespace kh::hd
