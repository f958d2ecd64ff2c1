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

bool fail(DiskState& state, const Message& message) {
    show(state.shared, message);
    return false;
}

// `inUse` is shown when the old boot.ini may not be replaced.
bool writeBootIni(DiskState& state, const std::string& content, const Message& inUse) {
    const std::string& path = state.systemDrive.bootIniPath;
    switch (replaceContent(state.sys, path, "ini", content)) {
        case ReplaceOutcome::kReplaced:
            break;
        case ReplaceOutcome::kTemporaryFailed:
            return fail(state, msg::kBootIniTempError);
        case ReplaceOutcome::kTargetInUse:
            return fail(state, inUse);
        case ReplaceOutcome::kReplaceFailed:
            return fail(state, msg::kBootIniRenameError);
    }
    state.sys.setAttributes(path, win::kAttrReadOnly);
    return true;
}

// The content of boot.ini, or nothing after its message.
std::optional<std::string> readBootIni(DiskState& state) {
    FileContent content = readTextFile(state.sys, state.systemDrive.bootIniPath);
    switch (content.status) {
        case FileContent::Status::kOk:
            return std::move(content.bytes);
        case FileContent::Status::kTooLarge:
            fail(state, msg::kBootIniNotText);
            break;
        case FileContent::Status::kUnreadable:
            fail(state, msg::kBootIniNotFound);
            break;
    }
    return std::nullopt;
}

}  // namespace

bool addBootEntry(DiskState& state) {
    const std::string& path = state.systemDrive.bootIniPath;
    if (!state.sys.setAttributes(path, win::kAttrNormal)) {
        state.ui.postQuit();
        return false;
    }
    const auto content = readBootIni(state);
    if (!content) return false;

    bool markerFound = false;
    const std::string updated = addEntryToBootIni(*content, &markerFound);
    if (markerFound) show(state.shared, msg::kFindError);
    return writeBootIni(state, updated, msg::kBootIniRenameError);
}

bool removeBootEntry(DiskState& state) {
    const std::string& path = state.systemDrive.bootIniPath;
    if (!state.sys.setAttributes(path, win::kAttrNormal)) {
        return fail(state, msg::kAdminRequired);
    }
    const auto content = readBootIni(state);
    if (!content) return false;
    return writeBootIni(state, removeEntryFromBootIni(*content), msg::kBootIniProcessError);
}

}  // namespace kh::hd
