#include "hdinstall/startup_checks.h"

#include <string>

#include "hdinstall/messages.h"
#include "hdinstall/safe_replace.h"
#include "platform/winconst.h"

namespace kh::hd {

namespace {

void failStartup(AppState& state, BoxOwner owner, const std::string& text, const char* caption,
                 unsigned icon) {
    state.ui.messageBox(owner, text, caption, icon);
    state.ui.postQuit();
}

}  // namespace

bool scanMasterBootRecord(AppState& state) {
    auto disk = state.sys.openPhysicalDrive0();
    if (!disk) {
        failStartup(state, BoxOwner::kNone, msg::kDiskNotFound, msg::kError, win::kMbIconError);
        return false;
    }
    const std::string mbr = disk->read(0, kSectorSize);
    if (mbr.empty()) {
        failStartup(state, BoxOwner::kNone, msg::kMbrReadError, msg::kError, win::kMbIconError);
        return false;
    }
    state.partitions = parsePartitionTable(mbr, *disk);
    return true;
}

void searchSystemDrive(AppState& state) {
    for (char letter = 'C'; letter <= 'V'; ++letter) {
        const PartitionQuery query = state.sys.partitionInfo(letter);
        if (query.status != PartitionQuery::Status::kOk || !query.info.bootIndicator) continue;

        SystemDrive& drive = state.systemDrive;
        const unsigned number = linuxPartitionNumber(state.partitions, query.info);
        drive.partitionIndex = number > 0 ? number - 1 : 0;
        drive.letter = letter;
        drive.bootIniPath[0] = letter;

        if (!state.sys.fileExists(drive.bootIniPath)) {
            failStartup(state, BoxOwner::kMainWindow, msg::kCannotFind + drive.bootIniPath,
                        msg::kWarning, win::kMbIconWarning);
            return;
        }
        if (!state.sys.setAttributes(drive.bootIniPath, win::kAttrNormal)) {
            failStartup(state, BoxOwner::kMainWindow, msg::kAdminRequired, msg::kWarning,
                        win::kMbIconWarning);
        }
        return;
    }
}

void detectInstall(AppState& state) {
    const FileContent content = readTextFile(state.sys, state.systemDrive.bootIniPath);
    // The marker cannot span a line end, so a search of the whole text finds
    // exactly the lines that hold it, however long they are.
    if (content.status == FileContent::Status::kOk &&
        content.bytes.find(kEntryMarker) != std::string::npos) {
        state.bootEntryPresent = true;
    }
}

}  // namespace kh::hd
