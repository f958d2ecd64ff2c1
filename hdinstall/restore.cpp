// Undoing the hard-disk install: the boot.ini entry and every file the
// install put on the system drive.
#include <string>
#include <vector>

#include "common/report.h"
#include "common/texts.h"
#include "hdinstall/bootini_rewrite.h"
#include "hdinstall/hdinstall.h"
#include "hdinstall/installed_files.h"
#include "platform/winconst.h"

namespace kh::hd {

namespace {

// The files that are still there afterwards. A read-only, hidden or system
// file is cleared first, as the install or the user may have marked it. Only
// the delete's own answer counts: a failed look for the file would otherwise
// pass for a file already gone.
std::vector<std::string> deleteInstalledFiles(DiskState& state) {
    std::vector<std::string> leftOver;
    for (const char* name : installed::kAll) {
        const std::string path = installed::onDrive(state.systemDrive.letter, name);
        state.sys.setAttributes(path, win::kAttrNormal);
        if (state.sys.removeFile(path) == FileRemoval::kFailed) leftOver.push_back(path);
    }
    return leftOver;
}

void reportResult(DiskState& state, const std::vector<std::string>& leftOver) {
    if (leftOver.empty()) {
        show(state.shared, msg::kRestoreDone);
        return;
    }
    std::string text = msg::kRestoreLeftOver.text;
    for (const std::string& path : leftOver) text += "\n" + path;
    show(state.shared, msg::kRestoreLeftOver, text);
}

}  // namespace

void runRestore(DiskState& state) {
    if (!removeBootEntry(state)) return;
    reportResult(state, deleteInstalledFiles(state));
    state.ui.postQuit();
}

}  // namespace kh::hd
