// Hidden children the procedures wait for without freezing the window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "common/shared_state.h"

namespace kh {

// Waits at most `limitMs` for `child` to end, in short slices; between them
// the window is repainted when `keepPainted` is set. The slices are counted
// rather than timed, so a wait that fails at once still ends. True when the
// child has ended.
bool waitForChild(SharedState& state, ProcessHandle child, uint32_t limitMs, bool keepPainted);

// Starts a hidden child and waits for it at most `milliseconds`, keeping the
// window painted when asked; a child still running then is terminated. The
// exit code, or nothing when it could not be started or did not end in time.
std::optional<uint32_t> runToEnd(SharedState& state, const std::string& commandLine,
                                 uint32_t milliseconds, bool keepPainted);

}  // namespace kh
