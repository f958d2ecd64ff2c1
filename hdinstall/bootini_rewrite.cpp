#include "hdinstall/bootini_rewrite.h"

#include <optional>
#include <string>

#include "hdinstall/bootini_rules.h"
#include "hdinstall/messages.h"
#include "hdinstall/safe_replace.h"
#include "platform/winconst.h"

namespace kh::hd {

namespace {

bool fail(AppState& state, const char* text, const char* caption, unsigned flags) {
    state.ui.messageBox(BoxOwner::kMainWindow, text, caption, flags);
    state.ui.postQuit();
    return false;
}

// `inUseText` is shown when the old boot.ini may not be replaced.
bool writeBootIni(AppState& state, const std::string& content, const char* inUseText) {
    const std::string& path = state.systemDrive.bootIniPath;
    switch (replaceContent(state.sys, path, "ini", content)) {
        case ReplaceOutcome::kReplaced:
            break;
        case ReplaceOutcome::kTemporaryFailed:
            return fail(state, msg::kBootIniTempError, msg::kError, win::kMbIconError);
        case ReplaceOutcome::kTargetInUse:
            return fail(state, inUseText, msg::kError, win::kMbIconWarning);
        case ReplaceOutcome::kReplaceFailed:
            return fail(state, msg::kBootIniRenameError, msg::kError, win::kMbIconWarning);
    }
    state.sys.setAttributes(path, win::kAttrReadOnly);
    return true;
}

// The content of boot.ini, or nothing after its message.
std::optional<std::string> readBootIni(AppState& state) {
    FileContent content = readTextFile(state.sys, state.systemDrive.bootIniPath);
    switch (content.status) {
        case FileContent::Status::kOk:
            return std::move(content.bytes);
        case FileContent::Status::kTooLarge:
            fail(state, msg::kBootIniNotText, msg::kError, win::kMbIconError);
            break;
        case FileContent::Status::kUnreadable:
            fail(state, msg::kBootIniNotFound, msg::kError, win::kMbIconError);
            break;
    }
    return std::nullopt;
}

}  // namespace

bool addBootEntry(AppState& state) {
    const std::string& path = state.systemDrive.bootIniPath;
    if (!state.sys.setAttributes(path, win::kAttrNormal)) {
        state.ui.postQuit();
        return false;
    }
    const auto content = readBootIni(state);
    if (!content) return false;

    bool markerFound = false;
    const std::string updated = addEntryToBootIni(*content, &markerFound);
    if (markerFound) {
        state.ui.messageBox(BoxOwner::kMainWindow, msg::kFindError, msg::kFindErrorCaption,
                            win::kMbOk);
    }
    return writeBootIni(state, updated, msg::kBootIniRenameError);
}

bool removeBootEntry(AppState& state) {
    const std::string& path = state.systemDrive.bootIniPath;
    if (!state.sys.setAttributes(path, win::kAttrNormal)) {
        return fail(state, msg::kAdminRequired, msg::kWarning, win::kMbIconWarning);
    }
    const auto content = readBootIni(state);
    if (!content) return false;
    return writeBootIni(state, removeEntryFromBootIni(*content), msg::kBootIniProcessError);
}

}  // namespace kh::hd
