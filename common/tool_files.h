// The tool files written next to the program (7-Zip, the SYSLINUX installer,
// 7-Zip's progress log) and the 7-Zip child that may still hold them: how
// they are recorded, stopped and removed.
#pragma once

#include <string>

#include "common/shared_state.h"

namespace kh {

// Remembers `path` for deletion, once.
void recordToolPath(SharedState& state, const std::string& path);

// Ends the tracked extraction child and, when asked, waits briefly for it to
// be gone.
void stopExtractionChild(SharedState& state, bool waitForEnd);

void deleteToolPayloads(SharedState& state);

}  // namespace kh
