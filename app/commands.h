// The main window's reaction to its buttons.
#pragma once

#include "app/app_state.h"

namespace kh::app {

void onCommand(AppState& state, int controlId);

// True when the ISO path edit holds an absolute path on a drive letter with
// a file name; that text then becomes the ISO path. Otherwise warns, enables
// the OK button and returns false.
bool checkIsoChosen(AppState& state);

}  // namespace kh::app
