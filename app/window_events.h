// Window creation, device changes and closing: what the window procedure
// hands to the core besides commands, timers and the start-format message.
#pragma once

#include <cstdint>

#include "app/app_state.h"

namespace kh::app {

void onCreate(AppState& state);
void onDeviceChange(AppState& state, uintptr_t event);
void onClose(AppState& state);
void onDestroy(AppState& state);

}  // namespace kh::app
