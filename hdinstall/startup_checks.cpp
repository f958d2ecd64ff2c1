#include "hdinstall/startup_checks.h"

#include <optional>
#include <string>

#include "common/report.h"
#include "common/texts.h"
#include "hdinstall/bootini_rules.h"
#include "hdinstall/safe_replace.h"
#include "platform/winconst.h"

namespace kh::hd {

namespace {

// Administrator rights, tested on boot.ini without changing it: its own
// attributes are set again, which only an administrator may do. Start-up
// must leave the machine as it found it.
bool mayChangeAttributes(SystemServices& sys, const std::string& path) {
    const std::optional<uint32_t> attributes = sys.fileAttributes(path);
    return attributes && sys.setAttributes(path, *attributes);
}

}  // namespace

bool scanMasterBootRecord(DiskState& state) {
    auto disk = state.sys.openPhysicalDrive0();
    if (!disk) {
        show(state.shared, msg::kDiskNotFound);
        return false;
    }
    const std::string mbr = disk->read(0, kSectorSize);
    if (mbr.empty()) {
        show(state.shared, msg::kMbrReadError);
        return false;
    }
    state.partitions = parsePartitionTable(mbr, *disk);
    return true;
}

void searchSystemDrive(DiskState& state) {
    for (char letter = 'C'; letter <= 'V'; ++letter) {
        // Windows starts from a fixed disk only; a card reader without a
        // medium is not touched at all.
        if (state.sys.driveType(letter) != DriveType::kFixed) continue;
        const PartitionQuery query = state.sys.partitionInfo(letter);
        if (query.status != PartitionQuery::Status::kOk || !query.info.bootIndicator) continue;

        SystemDrive& drive = state.systemDrive;
        drive.found = true;
        drive.letter = letter;
        drive.bootIniPath[0] = letter;

        if (!state.sys.fileExists(drive.bootIniPath)) {
            show(state.shared, msg::kCannotFind, msg::kCannotFind.text + drive.bootIniPath);
            return;
        }
        if (!mayChangeAttributes(state.sys, drive.bootIniPath)) {
            show(state.shared, msg::kAdminRequired);
        }
        return;
    }
}

void detectInstall(DiskState& state) {
    const FileContent content = readTextFile(state.sys, state.systemDrive.bootIniPath);
    // The marker cannot span a line end, so a search of the whole text finds
    // exactly the lines that hold it, however long they are.
    if (content.status == FileContent::Status::kOk &&
        content.bytes.find(kEntryMarker) != std::string::npos) {
        state.bootEntryPresent = true;
    }
}

}  // namespace kh::hd
