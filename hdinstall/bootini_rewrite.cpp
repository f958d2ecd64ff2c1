#include "hdinstall/bootini_rewrite.h"

#include <string>

#include "hdinstall/bootini_rules.h"
#include "hdinstall/messages.h"
#include "hdinstall/safe_replace.h"
#include "platform/winconst.h"

namespace kh::hd {

namespace {

std::string temporaryCopyPath(const AppState& state) {
    std::string path = "c:\\temp.ini";
    path[0] = state.systemDrive.letter;
    return path;
}

bool fail(AppState& state, const char* text, const char* caption, unsigned flags) {
    state.ui.messageBox(BoxOwner::kMainWindow, text, caption, flags);
    state.ui.postQuit();
    return false;
}

bool writeBootIni(AppState& state, const std::string& content) {
    const std::string& path = state.systemDrive.bootIniPath;
    switch (replaceContent(state.sys, path, temporaryCopyPath(state), content)) {
        case ReplaceOutcome::kReplaced:
            break;
        case ReplaceOutcome::kTemporaryFailed:
            return fail(state, msg::kBootIniTempError, msg::kError, win::kMbIconError);
        case ReplaceOutcome::kReplaceFailed:
            return fail(state, msg::kBootIniRenameError, msg::kError, win::kMbIconWarning);
    }
    state.sys.setAttributes(path, win::kAttrReadOnly);
    return true;
}

}  // namespace

bool addBootEntry(AppState& state) {
    const std::string& path = state.systemDrive.bootIniPath;
    if (!state.sys.setAttributes(path, win::kAttrNormal)) {
        state.ui.postQuit();
        return false;
    }
    const auto content = state.sys.readFile(path);
    if (!content) return fail(state, msg::kBootIniNotFound, msg::kError, win::kMbIconError);

    bool markerFound = false;
    const std::string updated = addEntryToBootIni(*content, &markerFound);
    if (markerFound) {
        state.ui.messageBox(BoxOwner::kMainWindow, msg::kFindError, msg::kFindErrorCaption,
                            win::kMbOk);
    }
    return writeBootIni(state, updated);
}

bool removeBootEntry(AppState& state) {
    const std::string& path = state.systemDrive.bootIniPath;
    if (!state.sys.setAttributes(path, win::kAttrNormal)) {
        return fail(state, msg::kAdminRequired, msg::kWarning, win::kMbIconWarning);
    }
    const auto content = state.sys.readFile(path);
    if (!content) return fail(state, msg::kBootIniNotFound, msg::kError, win::kMbIconError);
    return writeBootIni(state, removeEntryFromBootIni(*content));
}

}  // namespace kh::hd
