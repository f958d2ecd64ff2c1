// Writes one of the program's resources out as a file, with the caller's
// messages for each step that can fail (msg::kHdGrldr and the like, common/texts.def).
#pragma once

#include <string>

#include "common/sevenzip.h"
#include "common/shared_state.h"
#include "common/syslinux.h"
#include "common/texts.h"
#include "common/tool_files.h"
#include "payloads/catalogue.h"

namespace kh::payloads {

enum class WriteOutcome {
    kWritten,           // the file holds exactly the resource's bytes
    kAbandoned,         // resource missing or empty; nothing created
    kLoadOrLockFailed,  // message shown, quit requested; nothing created
    kCreateFailed,      // target not written; no partial file is left behind
};

struct PayloadTarget {
    int resourceId;
    std::string path;
    // Boot payloads replace files an earlier install may have left read-only,
    // hidden or system.
    bool clearAttributesFirst = false;
    // Flushed to the disk before it counts as written, so that a power loss
    // cannot leave a boot file cut short; the tools, read back from the cache
    // and gone at the end of the run, need not wait for the disk.
    bool durable = true;
};

WriteOutcome writePayload(SharedState& state, const PayloadTarget& target,
                          const WriteOutMessages& messages);

// The same without a word: true when `path` holds exactly the resource's
// bytes, flushed to the disk; nothing is left of a file that was not.
bool writePayloadQuietly(SystemServices& sys, int resourceId, const std::string& path);

// The text of one of a write-out's boxes, "%s" replaced by `name`, the file's.
std::string namingFile(const Message& message, std::string_view name);

// A program the procedures run from the tools folder.
struct ToolFile {
    int resourceId;
    const char* name;
};

inline constexpr ToolFile kSevenZipExeTool = {kSevenZipExe, sevenzip::kExeName};
inline constexpr ToolFile kSevenZipDllTool = {kSevenZipDll, sevenzip::kDllName};
inline constexpr ToolFile kSyslinuxTool = {kSyslinuxExe, syslinux::kInstallerName};

// Writes `tool` into the tools folder, made when needed, and records it for
// removal. A folder that cannot be made fails as the file's creation does.
WriteOutcome writeTool(SharedState& state, const ToolFile& tool, const WriteOutMessages& messages);

}  // namespace kh::payloads
