#include "common/report.h"

namespace kh {

int show(SharedState& state, const Message& message) { return show(state, message, message.text); }

int show(SharedState& state, const Message& message, const std::string& text) {
    const int answer = state.ui.messageBox(message.owner, text, message.caption, message.flags);
    if (message.kind == MessageKind::kRefusal) state.ui.enable(ControlId::kOk, true);
    if (message.kind == MessageKind::kFailure) {
        state.failureShown = true;
        state.ui.postQuit();
    }
    return answer;
}

}  // namespace kh
