// The main window's reaction to its buttons.
#pragma once

#include "app/app_state.h"

namespace kh::app {

void onCommand(AppState& state, int controlId);

// True when the ISO path edit names an existing regular file by an absolute
// path on a drive letter ('/' taken as '\'); its full path as the system
// normalises it then becomes the ISO path. A wildcard, a folder, a device or
// a missing file is refused: warns, enables the OK button and returns false.
bool checkIsoChosen(AppState& state);

}  // namespace kh::app
