#include "hdinstall/iso_placement.h"

#include "hdinstall/messages.h"
#include "platform/gbk_path.h"
#include "platform/winconst.h"

namespace kh::hd {

std::string isoRootPath(const std::string& isoPath) {
    if (isoPath.empty()) return {};
    return std::string{isoPath[0], ':', '\\'} + fileNameOf(isoPath);
}

Placement placeIsoAtRoot(DiskState& state, const std::string& rootPath) {
    // Whatever already carries the name is taken as the ISO: the live system
    // only looks for that name.
    if (state.sys.fileExists(rootPath)) return Placement::kInPlace;

    const std::string question =
        std::string(msg::kMoveQuestion) + state.shared.isoPath + msg::kMoveQuestionJoin + rootPath;
    if (state.ui.messageBox(BoxOwner::kMainWindow, question, msg::kNotice,
                            win::kMbYesNo | win::kMbIconQuestion) != win::kIdYes) {
        state.ui.postQuit();
        return Placement::kDeclined;
    }
    if (state.sys.moveFile(state.shared.isoPath, rootPath)) return Placement::kInPlace;

    state.ui.messageBox(BoxOwner::kMainWindow, msg::kMoveFailed, msg::kMoveFailedCaption,
                        win::kMbIconError);
    state.ui.postQuit();
    return Placement::kMoveFailed;
}

}  // namespace kh::hd
