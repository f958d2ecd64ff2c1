#include "hdinstall/disk_location.h"

#include "app/commands.h"
#include "platform/winconst.h"

namespace kh::hd {

namespace {

void refuse(AppState& state, const char* text) {
    app::warn(state, text);
    state.ui.enable(ControlId::kOk, true);
}

void refuseUnknownVolume(AppState& state, const char* text) {
    state.ui.messageBox(BoxOwner::kMainWindow, text, msg::kCurrentDirCaption, win::kMbOk);
    state.ui.enable(ControlId::kOk, true);
}

}  // namespace

bool firstDiskTableUsable(AppState& state) {
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

std::optional<unsigned> firstDiskPartition(AppState& state, char letter,
                                           const LocationTexts& texts) {
    const PartitionQuery query = state.sys.partitionInfo(letter);
    switch (query.status) {
        case PartitionQuery::Status::kOk:
            break;
        case PartitionQuery::Status::kOpenFailed:
            refuseUnknownVolume(state, msg::kVolumeOpenError);
            return std::nullopt;
        case PartitionQuery::Status::kQueryFailed:
            refuseUnknownVolume(state, msg::kVolumeQueryError);
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
