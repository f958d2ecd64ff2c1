// The one way the procedures and the window talk to the user: a message box
// owned by the main window (or by nobody, before it exists). A failure is
// recorded and ends the program, so that nothing congratulates after it.
#pragma once

#include <string>

#include "common/shared_state.h"
#include "common/texts.h"

namespace kh {

// Shows `message` and returns the button pressed (win::kIdNone when the box
// returned unanswered). After the box a refusal enables OK again, and a
// failure is recorded and the end of the program requested.
int show(SharedState& state, const Message& message);

// The same with `text` in place of the message's own (a text composed from
// it, e.g. followed by a path).
int show(SharedState& state, const Message& message, const std::string& text);

}  // namespace kh
