// Taking the live system's kernel and initial RAM disk out of the ISO with the
// embedded 7-Zip, run from the tools folder: what the ISO must list, and the
// extraction into a folder of our own on the system drive, from where each
// file is renamed into the root. 7-Zip never writes into a root that may hold
// another tool's files.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "common/report.h"
#include "hdinstall/disk_state.h"
#include "hdinstall/install_changes.h"

namespace kh::hd {

// The kernel's and the initrd's sizes together, from 7-Zip's technical
// listing of the ISO; nothing when the ISO lacks one of them.
std::optional<uint64_t> bootFilesSize(const std::string& listing);

// Extracts the kernel and the initrd (common/live_iso.h) from the ISO at
// `isoRootPath` in one 7-Zip run, the window answering while 7-Zip works,
// and renames them into the system drive's root, whose names must be free.
// `meanwhile` runs once 7-Zip has started; false from it stops 7-Zip and
// fails the extraction. Every change is recorded in `changes`. Nothing on
// success; otherwise the failure to report once the changes are undone.
// state.shared.extractionChild holds a 7-Zip that could not be stopped, 0 otherwise.
const Message* extractBootFiles(DiskState& state, Changes& changes, const std::string& isoRootPath,
                                const std::function<bool()>& meanwhile);

}  // namespace kh::hd
