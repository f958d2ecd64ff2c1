#include "hdinstall/install_plan.h"

#include "common/texts.h"

namespace kh::hd {

namespace {

// What to say when a volume is refused.
struct LocationTexts {
    const Message& notOnFirstDisk;
    const Message& notInTable;
};
constexpr LocationTexts kIsoLocation{msg::kIsoNotOnFirstDisk, msg::kIsoPartitionNotInTable};
constexpr LocationTexts kSystemLocation{msg::kSystemNotOnFirstDisk,
                                        msg::kSystemPartitionNotInTable};

// The volume's Linux number, or the refusal.
struct Located {
    std::optional<unsigned> number;
    const Message* refusal = nullptr;
};

Located refused(const Message& message) { return {std::nullopt, &message}; }

const Message* tableRefusal(const PartitionTable& table) {
    if (!table.hasBootSignature) return &msg::kNoMasterBootRecord;
    if (table.protectiveGpt) return &msg::kGptDisk;
    return nullptr;
}

Located locate(const PartitionTable& table, const VolumeFacts& volume, const LocationTexts& texts) {
    switch (volume.partition.status) {
        case PartitionQuery::Status::kOk:
            break;
        case PartitionQuery::Status::kOpenFailed:
            return refused(msg::kVolumeOpenError);
        case PartitionQuery::Status::kQueryFailed:
            return refused(msg::kVolumeQueryError);
    }
    // A stick or a second disk may hold a partition at the same offset as
    // one of the first disk: the offset alone would name the wrong one.
    if (volume.type != DriveType::kFixed || (volume.diskNumber && *volume.diskNumber != 0)) {
        return refused(texts.notOnFirstDisk);
    }
    const auto number = linuxNumberAt(table, volume.partition.info.startingOffset);
    if (!number) return refused(texts.notInTable);
    return {number};
}

}  // namespace

VolumeFacts volumeFacts(SystemServices& sys, char letter) {
    VolumeFacts facts;
    facts.partition = sys.partitionInfo(letter);
    if (facts.partition.status != PartitionQuery::Status::kOk) return facts;
    facts.diskNumber = sys.diskNumber(letter);
    facts.type = sys.driveType(letter);
    return facts;
}

InstallPlan planMenuNumbers(const PartitionTable& table, const VolumeFacts& iso,
                            const VolumeFacts& system) {
    if (const Message* refusal = tableRefusal(table)) return {std::nullopt, refusal};
    const Located isoPartition = locate(table, iso, kIsoLocation);
    if (!isoPartition.number) return {std::nullopt, isoPartition.refusal};
    const Located systemPartition = locate(table, system, kSystemLocation);
    if (!systemPartition.number) return {std::nullopt, systemPartition.refusal};
    return {MenuNumbers{*isoPartition.number, *systemPartition.number - 1}, nullptr};
}

}  // namespace kh::hd
