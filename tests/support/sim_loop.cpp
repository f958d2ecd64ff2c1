#include "tests/support/sim_loop.h"

#include "usbmedia/usbmedia.h"

namespace kh::test {

void SimLoop::deliverPosted() {
    while (!env_.ui.quitPosted() && env_.ui.startFormatPending() > 0) {
        env_.ui.takeStartFormat();
        usb::onStartFormat(env_.state.usb);
        syncTimers();
    }
}

void SimLoop::syncTimers() {
    const auto& armed = env_.ui.timers();
    for (auto it = due_.begin(); it != due_.end();) {
        it = armed.count(it->first) ? std::next(it) : due_.erase(it);
    }
    for (const auto& [id, interval] : armed) {
        if (!due_.count(id)) due_[id] = env_.sys.now() + interval;
    }
}

bool SimLoop::deliverProcessEnd(std::optional<uint64_t> nextTimer) {
    const ProcessHandle watched = env_.ui.watchedProcess();
    if (watched == 0) return false;
    const auto endsAt = env_.sys.processEndTime(watched);
    if (endsAt && nextTimer && *endsAt > *nextTimer) return false;
    if (endsAt && *endsAt > env_.sys.now()) env_.sys.advance(*endsAt - env_.sys.now());
    env_.ui.watchProcess(0);
    usb::onProcessEnded(env_.state.usb);
    syncTimers();
    return true;
}

bool SimLoop::step() {
    syncTimers();
    deliverPosted();
    if (env_.ui.quitPosted()) return false;
    auto next = due_.begin();
    for (auto it = due_.begin(); it != due_.end(); ++it) {
        if (it->second < next->second) next = it;
    }
    const auto nextTimer = due_.empty() ? std::nullopt : std::optional<uint64_t>(next->second);
    if (deliverProcessEnd(nextTimer)) return !env_.ui.quitPosted();
    if (due_.empty()) return false;
    const int id = next->first;
    if (next->second > env_.sys.now()) env_.sys.advance(next->second - env_.sys.now());
    next->second = env_.sys.now() + env_.ui.timers().at(id);
    if (beforeTick) beforeTick(id);
    usb::onTimer(env_.state.usb, id);
    syncTimers();
    return !env_.ui.quitPosted();
}

void SimLoop::run(uint64_t limitMs) {
    const uint64_t end = env_.sys.now() + limitMs;
    while (env_.sys.now() <= end && step()) {
    }
}

}  // namespace kh::test
