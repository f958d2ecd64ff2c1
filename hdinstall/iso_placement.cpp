#include "hdinstall/iso_placement.h"

#include "common/report.h"
#include "common/texts.h"
#include "platform/gbk_path.h"
#include "platform/winconst.h"

namespace kh::hd {

std::string isoRootPath(const std::string& isoPath) {
    if (isoPath.empty()) return {};
    return std::string{isoPath[0], ':', '\\'} + fileNameOf(isoPath);
}

Placement placeIsoAtRoot(DiskState& state, Changes& changes, const std::string& isoPath,
                         const std::string& rootPath) {
    // Whatever already carries the name is taken as the ISO: the live system
    // only looks for that name.
    if (state.sys.fileExists(rootPath)) return Placement::kInPlace;

    const std::string question =
        std::string(msg::kMoveQuestion.text) + isoPath + msg::kMoveQuestionJoin + rootPath;
    if (show(state.shared, msg::kMoveQuestion, question) != win::kIdYes) {
        state.ui.postQuit();
        return Placement::kDeclined;
    }
    if (changes.move(isoPath, rootPath)) return Placement::kInPlace;

    show(state.shared, msg::kMoveFailed);
    return Placement::kMoveFailed;
}

}  // namespace kh::hd
