// The kernel and the initial RAM disk read back from the system drive against
// their bytes in the ISO before the restart is offered: a machine set up to
// boot a damaged kernel would fail where the user can no longer ask why.
#pragma once

#include <optional>
#include <string>

#include "common/texts.h"
#include "hdinstall/disk_state.h"

namespace kh::hd {

// Why the files are not known to hold what the ISO holds: the failure to show
// (after whatever is undone).
struct ReadBackFailure {
    Message message;
    std::string text;
};

// Nothing when both files read back as in the ISO at `isoRootPath`, whose
// files 7-Zip's technical `listing` names; otherwise the file that differs, or
// why the check could not be made.
std::optional<ReadBackFailure> bootFilesReadBack(DiskState& state, const std::string& isoRootPath,
                                                 const std::string& listing);

}  // namespace kh::hd
