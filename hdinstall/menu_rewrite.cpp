#include "hdinstall/menu_rewrite.h"

#include <string>

#include "hdinstall/menu_entry.h"
#include "hdinstall/messages.h"
#include "hdinstall/safe_replace.h"
#include "platform/winconst.h"

namespace kh::hd {

namespace {

std::string onSystemDrive(const AppState& state, std::string path) {
    path[0] = state.systemDrive.letter;
    return path;
}

MenuOutcome fail(AppState& state, MenuOutcome outcome, const char* text, const char* caption,
                 unsigned flags) {
    state.ui.messageBox(BoxOwner::kMainWindow, text, caption, flags);
    state.ui.postQuit();
    return outcome;
}

}  // namespace

MenuOutcome rewriteMenu(AppState& state, unsigned isoPartitionNumber) {
    const auto systemIndex = state.systemDrive.partitionIndex;
    if (!systemIndex) return MenuOutcome::kFailed;

    const std::string path = onSystemDrive(state, "c:\\menu.lst");
    const FileContent menu = readTextFile(state.sys, path);
    if (menu.status != FileContent::Status::kOk) {
        const bool tooLarge = menu.status == FileContent::Status::kTooLarge;
        return fail(state, MenuOutcome::kFailed, tooLarge ? msg::kMenuNotText : msg::kMenuOpenError,
                    msg::kError, win::kMbIconError);
    }
    state.sys.setAttributes(path, win::kAttrNormal);

    const std::string updated =
        insertMenuEntry(menu.bytes, menuEntry(isoPartitionNumber, *systemIndex));
    switch (replaceContent(state.sys, path, "lst", updated)) {
        case ReplaceOutcome::kReplaced:
            return MenuOutcome::kDone;
        case ReplaceOutcome::kTemporaryFailed:
            return fail(state, MenuOutcome::kFailed, msg::kMenuTempError, msg::kError,
                        win::kMbIconError);
        case ReplaceOutcome::kTargetInUse:
        case ReplaceOutcome::kReplaceFailed:
            break;
    }
    return fail(state, MenuOutcome::kRenameFailed, msg::kMenuRenameError, msg::kMenuRenameCaption,
                win::kMbOk);
}

}  // namespace kh::hd
