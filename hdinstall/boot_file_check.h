// The kernel and the initial RAM disk read back from the system drive against
// their bytes in the ISO before the restart is offered: a machine set up to
// boot a damaged kernel would fail where the user can no longer ask why.
#pragma once

#include <string>

#include "hdinstall/disk_state.h"

namespace kh::hd {

// True when both files read back as in the ISO at `isoRootPath`. Otherwise
// the file that differs, or why the check could not be made, is shown as a
// failure (the end is requested) and false returned.
bool bootFilesReadBack(DiskState& state, const std::string& isoRootPath);

}  // namespace kh::hd
