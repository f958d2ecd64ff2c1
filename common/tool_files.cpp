#include "common/tool_files.h"

#include <algorithm>

#include "common/sevenzip.h"

namespace kh {

void recordToolPath(SharedState& state, const std::string& path) {
    auto& paths = state.toolPaths;
    if (std::find(paths.begin(), paths.end(), path) == paths.end()) paths.push_back(path);
}

void stopExtractionChild(SharedState& state, bool waitForEnd) {
    if (state.extractionChild == 0) return;
    // Stopped on the user's word: its end starts no further step.
    state.ui.watchProcess(0);
    state.sys.terminate(state.extractionChild, 0);
    if (waitForEnd) state.sys.waitForExit(state.extractionChild, sevenzip::kExitEndWaitMs);
}

void deleteToolPayloads(SharedState& state) {
    for (const std::string& path : state.toolPaths) state.sys.deleteFile(path);
}

}  // namespace kh
