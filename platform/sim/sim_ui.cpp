#include "platform/sim/sim_ui.h"

#include <utility>

#include "platform/winconst.h"

namespace kh::sim {

const SimControl& SimUi::control(ControlId id) const {
    static const SimControl kAbsent;
    const auto it = controls_.find(id);
    return it == controls_.end() ? kAbsent : it->second;
}

void SimUi::createControl(const ControlSpec& spec) {
    controls_[spec.id].text = spec.caption;
    creationOrder_.push_back(spec.id);
}

std::string SimUi::text(ControlId id) {
    if (id == ControlId::kDriveList) {
        if (selected_ < 0 || selected_ >= static_cast<int>(drives_.size())) return {};
        return drives_[selected_];
    }
    return controls_[id].text;
}

void SimUi::clearDriveList() {
    drives_.clear();
    selected_ = -1;
}

int SimUi::messageBox(BoxOwner owner, const std::string& text, const std::string& caption,
                      unsigned flags) {
    if (auto action = std::exchange(whileOpen_, nullptr)) action();
    // Once the quit message is queued, a modal box ends at once, unanswered.
    // Unscripted, the first button: Yes or OK.
    int answer = win::kIdNone;
    if (!quitPosted_ && answers_.empty()) {
        answer = (flags & 0xF) == win::kMbYesNo ? win::kIdYes : win::kIdOk;
    } else if (!quitPosted_) {
        answer = answers_.front();
        answers_.pop_front();
    }
    boxes_.push_back({owner, text, caption, flags, answer});
    return answer;
}

std::optional<std::string> SimUi::openIsoDialog() {
    if (dialogs_.empty()) return std::nullopt;
    auto result = dialogs_.front();
    dialogs_.pop_front();
    return result;
}

UserInterface::Wait SimUi::waitForProcessOrMessages(ProcessHandle process, uint32_t milliseconds) {
    ++paintPumps_;
    if (duringWait) std::exchange(duringWait, nullptr)();
    if (quitPosted_) return Wait::kQuit;
    if (system_.waitForExit(process, milliseconds)) return Wait::kEnded;
    return Wait::kTimedOut;
}

bool SimUi::handlePendingMessages() {
    ++paintPumps_;
    if (duringWait) std::exchange(duringWait, nullptr)();
    return !quitPosted_;
}

}  // namespace kh::sim
