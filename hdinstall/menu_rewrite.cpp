#include "hdinstall/menu_rewrite.h"

#include <string>

#include "common/report.h"
#include "common/texts.h"
#include "hdinstall/installed_files.h"
#include "hdinstall/menu_entry.h"
#include "hdinstall/safe_replace.h"
#include "platform/winconst.h"

namespace kh::hd {

namespace {

MenuOutcome fail(DiskState& state, MenuOutcome outcome, const Message& message) {
    show(state.shared, message);
    return outcome;
}

}  // namespace

MenuOutcome rewriteMenu(DiskState& state, const MenuNumbers& numbers) {
    const std::string path = installed::onDrive(state.systemDrive.letter, installed::kMenu);
    const FileContent menu = readTextFile(state.sys, path);
    if (menu.status != FileContent::Status::kOk) {
        const bool tooLarge = menu.status == FileContent::Status::kTooLarge;
        return fail(state, MenuOutcome::kFailed,
                    tooLarge ? msg::kMenuNotText : msg::kMenuOpenError);
    }
    state.sys.setAttributes(path, win::kAttrNormal);

    const std::string updated = insertMenuEntry(
        menu.bytes, menuEntry(numbers.isoPartitionNumber, numbers.systemPartitionIndex));
    switch (replaceContent(state.sys, path, "lst", updated)) {
        case ReplaceOutcome::kReplaced:
            return MenuOutcome::kDone;
        case ReplaceOutcome::kTemporaryFailed:
            return fail(state, MenuOutcome::kFailed, msg::kMenuTempError);
        case ReplaceOutcome::kTargetInUse:
        case ReplaceOutcome::kReplaceFailed:
            break;
    }
    return fail(state, MenuOutcome::kRenameFailed, msg::kMenuRenameError);
}

}  // namespace kh::hd
