// The main window's reaction to its buttons.
#pragma once

#include "app/app_state.h"

namespace kh::app {

void onCommand(AppState& state, int controlId);

// True when the ISO path edit holds an absolute path on a drive letter with
// a file name; that text then becomes the ISO path. Otherwise warns, enables
// the OK button and returns false.
bool checkIsoChosen(AppState& state);

// "X:\...\name": no relative, drive-relative ("D:live.iso"), UNC or "\\?\"
// path, and a file name after the last separator.
bool isAbsoluteLocalPath(const std::string& path);

bool endsWithIsoSuffix(const std::string& path);

}  // namespace kh::app
