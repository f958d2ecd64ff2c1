#include "common/tool_files.h"

#include <algorithm>

#include "common/child_process.h"

namespace kh {

namespace {

// A folder left by an earlier run that could not remove it (or made by
// anyone else) is never reused: its files could be anybody's.
constexpr int kFolderAttempts = 100;

}  // namespace

std::optional<std::string> toolsFolder(SharedState& state) {
    if (!state.toolsFolder.empty()) return state.toolsFolder;
    const std::string temporary = state.sys.temporaryDirectory();
    // A relative folder would be taken from the current folder.
    const bool absolute =
        temporary.size() >= 2 && (temporary[1] == ':' || temporary.compare(0, 2, "\\\\") == 0);
    if (!absolute) return std::nullopt;
    const std::string base = temporary + "\\KorvaneHelper-";
    for (int n = 1; n <= kFolderAttempts; ++n) {
        const std::string folder = base + std::to_string(n);
        if (state.sys.createDirectory(folder)) {
            state.toolsFolder = folder;
            return folder;
        }
    }
    return std::nullopt;
}

std::optional<std::string> newToolFile(SharedState& state, const std::string& name) {
    if (!toolsFolder(state)) return std::nullopt;
    const std::string path = *toolPath(state, name);
    recordToolPath(state, path);
    return path;
}

std::optional<std::string> toolPath(const SharedState& state, const std::string& name) {
    if (state.toolsFolder.empty()) return std::nullopt;
    return state.toolsFolder + "\\" + name;
}

void recordToolPath(SharedState& state, const std::string& path) {
    auto& paths = state.toolPaths;
    if (std::find(paths.begin(), paths.end(), path) == paths.end()) paths.push_back(path);
}

void forgetToolPath(SharedState& state, const std::string& path) {
    if (state.sys.removeFile(path) == FileRemoval::kFailed) return;
    auto& paths = state.toolPaths;
    paths.erase(std::remove(paths.begin(), paths.end(), path), paths.end());
}

void stopExtractionChild(SharedState& state, bool waitForEnd) {
    if (state.extractionChild == 0) return;
    // Stopped on the user's word: its end starts no further step.
    state.ui.watchProcess(0);
    state.sys.terminate(state.extractionChild, kStoppedExitCode);
    if (waitForEnd) state.sys.waitForExit(state.extractionChild, kExitStopWaitMs);
}

void removeToolsFolder(SharedState& state) {
    for (const std::string& path : state.toolPaths) state.sys.deleteFile(path);
    if (state.toolsFolder.empty()) return;
    // The folder goes only when empty; a file that could not be deleted
    // keeps it, and a later end tries again.
    if (!state.sys.removeDirectory(state.toolsFolder)) return;
    state.toolsFolder.clear();
    state.toolPaths.clear();
}

}  // namespace kh
