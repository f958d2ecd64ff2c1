#include "common/report.h"

#include "common/messages.h"
#include "platform/winconst.h"

namespace kh {

void warn(SharedState& state, const std::string& text) {
    state.ui.messageBox(BoxOwner::kMainWindow, text, msg::kWarning, win::kMbIconWarning);
}

}  // namespace kh
