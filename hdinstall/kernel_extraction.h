// Taking the live system's kernel and initial RAM disk out of the ISO with the
// 7-Zip written next to the program.
#pragma once

#include <string>

#include "hdinstall/disk_state.h"

namespace kh::hd {

// Extracts isolinux\vmlinuz0 and isolinux\initrd4disk.img from the ISO at
// `isoRootPath` into the system drive's root, one 7-Zip run each, keeping the
// window painted while 7-Zip works. A failed run, or one that leaves its file
// missing or empty, is reported and the end requested; false then.
// state.shared.extractionChild holds a 7-Zip that could not be stopped, 0 otherwise.
bool extractBootFiles(DiskState& state, const std::string& isoRootPath);

}  // namespace kh::hd
