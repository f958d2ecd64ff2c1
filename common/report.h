// Showing the user a message box owned by the main window.
#pragma once

#include <string>

#include "common/shared_state.h"

namespace kh {

// A refused input or missing prerequisite, in the program's style: caption
// "警告" and the warning icon, owned by the main window.
void warn(SharedState& state, const std::string& text);

}  // namespace kh
