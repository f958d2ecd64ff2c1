#include "hdinstall/bootini_rewrite.h"

#include <optional>
#include <string>

#include "common/report.h"
#include "common/texts.h"
#include "hdinstall/bootini_rules.h"
#include "hdinstall/safe_replace.h"
#include "platform/winconst.h"

namespace kh::hd {

namespace {

// The content and attributes of boot.ini, or nothing after its message.
std::optional<BootIniChange> readBootIni(DiskState& state) {
    const std::string& path = state.systemDrive.bootIniPath;
    const std::optional<uint32_t> attributes = state.sys.fileAttributes(path);
    FileContent content = readTextFile(state.sys, path);
    if (content.status == FileContent::Status::kTooLarge) {
        show(state.shared, msg::kBootIniNotText);
        return std::nullopt;
    }
    if (!attributes || content.status != FileContent::Status::kOk) {
        show(state.shared, msg::kBootIniNotFound);
        return std::nullopt;
    }
    return BootIniChange{std::move(content.bytes), *attributes};
}

}  // namespace

std::optional<BootIniChange> prepareBootEntry(DiskState& state) {
    auto change = readBootIni(state);
    if (!change) return std::nullopt;
    bool markerFound = false;
    std::optional<std::string> updated = addEntryToBootIni(change->content, &markerFound);
    if (!updated) {
        show(state.shared, msg::kNoOperatingSystems);
        return std::nullopt;
    }
    if (markerFound) show(state.shared, msg::kFindError);
    change->content = std::move(*updated);
    return change;
}

std::optional<BootIniChange> prepareBootEntryRemoval(DiskState& state) {
    auto change = readBootIni(state);
    if (change) change->content = removeEntryFromBootIni(change->content);
    return change;
}

const Message* writeBootIni(DiskState& state, const BootIniChange& change, const Message& inUse,
                            std::string* leftBehind) {
    const std::string& path = state.systemDrive.bootIniPath;
    // A read-only, hidden or system boot.ini may not be replaced.
    if (!state.sys.setAttributes(path, win::kAttrNormal)) return &msg::kAdminRequired;
    const ReplaceOutcome outcome =
        replaceContent(state.sys, path, "ini", change.content, leftBehind);
    state.sys.setAttributes(path, change.attributes);
    switch (outcome) {
        case ReplaceOutcome::kReplaced:
            return nullptr;
        case ReplaceOutcome::kTemporaryFailed:
            return &msg::kBootIniTempError;
        case ReplaceOutcome::kTargetInUse:
            return &inUse;
        case ReplaceOutcome::kReplaceFailed:
            break;
    }
    return &msg::kBootIniRenameError;
}

}  // namespace kh::hd
