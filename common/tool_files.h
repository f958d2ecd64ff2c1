// The tools folder: a folder made new for this run under the temporary
// folder, holding the embedded tools (7-Zip, the SYSLINUX installer) and
// what they write for the program (7-Zip's progress log). Nothing is ever
// written or deleted next to the program. Also the child that may still hold
// the folder.
#pragma once

#include <optional>
#include <string>

#include "common/shared_state.h"

namespace kh {

// 7-Zip's progress report while it extracts the ISO onto the stick, and its
// complaints while a stream of the ISO is read back.
inline constexpr const char* kProgressLogName = "7z-progress.log";
inline constexpr const char* kReadBackLogName = "7z-readback.log";

// The folder of this run, created at the first call; nothing when no new
// folder could be made.
std::optional<std::string> toolsFolder(SharedState& state);

// `name` in the tools folder (created when needed), recorded for removal.
std::optional<std::string> newToolFile(SharedState& state, const std::string& name);

// `name` in the tools folder; nothing when there is none, so that a tool is
// never looked for anywhere else.
std::optional<std::string> toolPath(const SharedState& state, const std::string& name);

// Remembers `path` for removal, once.
void recordToolPath(SharedState& state, const std::string& path);
// Deletes `path` now; it is no longer remembered once it is gone.
void forgetToolPath(SharedState& state, const std::string& path);

// Ends the tracked child and, when asked, waits briefly for it to be gone.
void stopExtractionChild(SharedState& state, bool waitForEnd);

// Deletes the recorded files in the order they were recorded, then the folder.
void removeToolsFolder(SharedState& state);

}  // namespace kh
