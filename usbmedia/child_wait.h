// Waiting for a hidden child without freezing the window.
#pragma once

#include <cstdint>

#include "app/app_state.h"

namespace kh::usb {

// Waits at most `limitMs` for `child` to end, in short slices; between them
// the window is repainted when `keepPainted` is set. The slices are counted
// rather than timed, so a wait that fails at once still ends. True when the
// child has ended.
bool waitForChild(AppState& state, ProcessHandle child, uint32_t limitMs, bool keepPainted);

}  // namespace kh::usb
