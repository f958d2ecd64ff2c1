#include "common/tool_files.h"

#include <algorithm>

namespace kh {

namespace {
// How long the exit command waits for a terminated 7-Zip to be gone before
// it deletes the files that process still holds open.
constexpr uint32_t kTerminateWaitMs = 3000;
}  // namespace

void recordToolPath(SharedState& state, const std::string& path) {
    auto& paths = state.toolPaths;
    if (std::find(paths.begin(), paths.end(), path) == paths.end()) paths.push_back(path);
}

void stopExtractionChild(SharedState& state, bool waitForEnd) {
    if (state.extractionChild == 0) return;
    state.sys.terminate(state.extractionChild, 0);
    if (waitForEnd) state.sys.waitForExit(state.extractionChild, kTerminateWaitMs);
}

void deleteToolPayloads(SharedState& state) {
    for (const std::string& path : state.toolPaths) state.sys.deleteFile(path);
}

}  // namespace kh
