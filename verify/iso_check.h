// The step both procedures take before they change anything: the ISO checked
// against the checksum published next to it, with the percentage on a status
// line, the window answering, and Exit or the close box stopping it at once.
#pragma once

#include <string>

#include "common/report.h"
#include "common/shared_state.h"
#include "platform/ui.h"

namespace kh::verify {

enum class IsoCheck {
    kPassed,   // the ISO matches, or the user chose to go on without a check
    kRefused,  // said (or answered No); nothing was changed, OK is enabled again
    kStopped,  // Exit or the close box; nothing was changed and nothing shown
};

// Checks the ISO at `isoPath`. Without a checksum file naming it there is
// nothing to check and nothing to wait for. `status` shows the percentage
// while the ISO is read and is hidden again afterwards.
IsoCheck checkIsoBeforeChanges(SharedState& state, const std::string& isoPath, ControlId status);

// `pattern` with "%1" replaced by `first` and "%2" by `second`.
std::string filledIn(const char* pattern, const std::string& first,
                     const std::string& second = std::string());

// The percentage on `status` while a long check runs, and the window's
// messages handled between pieces; false once Exit or the close box asked
// the step to stop.
bool showCheckProgress(SharedState& state, ControlId status, const char* pattern, int percent);

}  // namespace kh::verify
