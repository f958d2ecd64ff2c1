#include "hdinstall/disk_location.h"

#include "common/report.h"
#include "platform/winconst.h"

namespace kh::hd {

namespace {

void refuse(DiskState& state, const Message& message) {
    show(state.shared, message);
    state.ui.enable(ControlId::kOk, true);
}

}  // namespace

bool firstDiskTableUsable(DiskState& state) {
    if (!state.partitions.hasBootSignature) {
        refuse(state, msg::kNoMasterBootRecord);
        return false;
    }
    if (state.partitions.protectiveGpt) {
        refuse(state, msg::kGptDisk);
        return false;
    }
    return true;
}

std::optional<unsigned> firstDiskPartition(DiskState& state, char letter,
                                           const LocationTexts& texts) {
    const PartitionQuery query = state.sys.partitionInfo(letter);
    switch (query.status) {
        case PartitionQuery::Status::kOk:
            break;
        case PartitionQuery::Status::kOpenFailed:
            refuse(state, msg::kVolumeOpenError);
            return std::nullopt;
        case PartitionQuery::Status::kQueryFailed:
            refuse(state, msg::kVolumeQueryError);
            return std::nullopt;
    }
    // A stick or a second disk may hold a partition at the same offset as
    // one of the first disk: the offset alone would name the wrong one.
    const auto disk = state.sys.diskNumber(letter);
    if (state.sys.driveType(letter) != DriveType::kFixed || (disk && *disk != 0)) {
        refuse(state, texts.notOnFirstDisk);
        return std::nullopt;
    }
    const auto number = linuxNumberAt(state.partitions, query.info.startingOffset);
    if (!number) refuse(state, texts.notInTable);
    return number;
}

}  // namespace kh::hd
