// The main window's reaction to its buttons.
#pragma once

#include <optional>
#include <string>

#include "app/app_state.h"

namespace kh::app {

void onCommand(AppState& state, int controlId);

// The ISO path, when the edit names an existing regular file by an absolute
// path on a drive letter ('/' taken as '\'): its full path as the system
// normalises it. A wildcard, a folder, a device or a missing file is refused:
// warns, enables the OK button and returns nothing.
std::optional<std::string> checkIsoChosen(AppState& state);

}  // namespace kh::app
