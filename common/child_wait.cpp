#include "common/child_wait.h"

namespace kh {

namespace {
constexpr uint32_t kSliceMs = 100;
}  // namespace

bool waitForChild(SharedState& state, ProcessHandle child, uint32_t limitMs, bool keepPainted) {
    for (uint32_t waited = 0; waited < limitMs; waited += kSliceMs) {
        if (state.sys.waitForExit(child, kSliceMs)) return true;
        if (keepPainted) state.ui.keepPainted();
    }
    return false;
}

std::optional<uint32_t> runToEnd(SharedState& state, const std::string& commandLine,
                                 uint32_t milliseconds, bool keepPainted) {
    SystemServices& sys = state.sys;
    const ProcessHandle child = sys.startProcess(commandLine);
    if (child == 0) return std::nullopt;
    const bool ended = waitForChild(state, child, milliseconds, keepPainted);
    std::optional<uint32_t> code;
    if (ended) code = sys.exitCode(child);
    if (!ended) sys.terminate(child, 1);
    sys.closeProcess(child);
    return code;
}

}  // namespace kh
