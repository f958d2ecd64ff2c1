// Taking the live system's kernel and initial RAM disk out of the ISO with the
// embedded 7-Zip run from the tools folder.
#pragma once

#include <string>

#include "hdinstall/disk_state.h"

namespace kh::hd {

// Extracts isolinux\vmlinuz0 and isolinux\initrd4disk.img from the ISO at
// `isoRootPath` into the system drive's root, one 7-Zip run each, the window
// answering while 7-Zip works. A failed run, or one that leaves its file
// missing or empty, is reported and the end requested; false then.
// state.shared.extractionChild holds a 7-Zip that could not be stopped, 0 otherwise.
bool extractBootFiles(DiskState& state, const std::string& isoRootPath);

}  // namespace kh::hd
