// Window creation, device changes and closing: what the window procedure
// hands to the core besides commands, timers and the start-format message.
#pragma once

#include <cstdint>
#include <functional>

#include "app/app_state.h"

namespace kh::app {

void onCreate(AppState& state);
void onDeviceChange(AppState& state, uintptr_t event);
void onClose(AppState& state);
void onDestroy(AppState& state);
// After the message loop, however the program ends: a child still running is
// stopped and the tools folder removed.
void onProgramEnd(AppState& state);

// Runs one of the window's handlers. An exception must never cross the window
// procedure (Windows does not unwind through it): one that escapes a handler
// is shown as an internal error and the program ends.
void runGuarded(AppState& state, const std::function<void()>& handler);

}  // namespace kh::app
