// Undoing the hard-disk install: the boot.ini entry and every file the
// install put on the system drive.
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/handover.h"
#include "hdinstall/bootini_rewrite.h"
#include "hdinstall/messages.h"
#include "platform/winconst.h"

namespace kh::hd {

namespace {

constexpr const char* kInstalledFiles[] = {
    "c:\\vmlinuz0", "c:\\menu.lst",     "c:\\initrd4disk.img", "c:\\fonts",
    "c:\\grldr",    "c:\\greengem.xpm", "c:\\g2ldr",
};

// The files that are still there afterwards. A read-only, hidden or system
// file is cleared first, as the install or the user may have marked it. Only
// the delete's own answer counts: a failed look for the file would otherwise
// pass for a file already gone.
std::vector<std::string> deleteInstalledFiles(AppState& state) {
    std::vector<std::string> leftOver;
    for (const char* file : kInstalledFiles) {
        std::string path = file;
        path[0] = state.systemDrive.letter;
        state.sys.setAttributes(path, win::kAttrNormal);
        if (state.sys.removeFile(path) == FileRemoval::kFailed) leftOver.push_back(path);
    }
    return leftOver;
}

void reportResult(AppState& state, const std::vector<std::string>& leftOver) {
    if (leftOver.empty()) {
        state.ui.messageBox(BoxOwner::kMainWindow, msg::kRestoreDone, msg::kRestoreDoneCaption,
                            win::kMbIconInformation);
        return;
    }
    std::string text = msg::kRestoreLeftOver;
    for (const std::string& path : leftOver) text += "\n" + path;
    app::warn(state, text);
}

}  // namespace

void runRestore(AppState& state) {
    if (!removeBootEntry(state)) return;
    reportResult(state, deleteInstalledFiles(state));
    state.ui.postQuit();
}

}  // namespace kh::hd
