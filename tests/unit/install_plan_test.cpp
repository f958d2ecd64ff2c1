// The menu entry's partition numbers as a pure function of the first disk's
// table and the two volumes; the refusals' wording is checked through the
// whole install in install_flow_test.cpp.
#include "hdinstall/install_plan.h"

#include <gtest/gtest.h>

#include "hdinstall/messages.h"

namespace kh::hd {
namespace {

// Extended partition in slot 0, system partition in slot 1, one logical
// drive: the layout where Windows' numbers and the menu's differ most.
PartitionTable extendedFirst() {
    PartitionTable table;
    table.hasBootSignature = true;
    table.extendedSlot = 0;
    table.entries = {{2048 * kSectorSize, 2}, {4096 * kSectorSize, 5}};
    return table;
}

VolumeFacts fixedVolumeAt(uint64_t sector, std::optional<uint32_t> disk = 0) {
    VolumeFacts facts;
    facts.partition.status = PartitionQuery::Status::kOk;
    facts.partition.info.startingOffset = sector * kSectorSize;
    facts.partition.info.partitionNumber = 1;  // Windows' own count, never used
    facts.type = DriveType::kFixed;
    facts.diskNumber = disk;
    return facts;
}

TEST(InstallPlan, NumbersComeFromTheTableNotFromWindows) {
    const InstallPlan plan =
        planMenuNumbers(extendedFirst(), fixedVolumeAt(4096), fixedVolumeAt(2048));
    ASSERT_TRUE(plan.numbers);
    EXPECT_EQ(plan.numbers->isoPartitionNumber, 5u);
    EXPECT_EQ(plan.numbers->systemPartitionIndex, 1u);
    EXPECT_EQ(plan.refusal, nullptr);

    const InstallPlan beside =
        planMenuNumbers(extendedFirst(), fixedVolumeAt(2048), fixedVolumeAt(2048));
    ASSERT_TRUE(beside.numbers);
    EXPECT_EQ(beside.numbers->isoPartitionNumber, 2u);
    EXPECT_EQ(beside.numbers->systemPartitionIndex, 1u);
}

TEST(InstallPlan, TheTableIsJudgedFirstThenTheIsoThenTheSystemVolume) {
    PartitionTable unsigned_ = extendedFirst();
    unsigned_.hasBootSignature = false;
    VolumeFacts stick = fixedVolumeAt(4096);
    stick.type = DriveType::kRemovable;
    const VolumeFacts elsewhere = fixedVolumeAt(7777);

    EXPECT_EQ(planMenuNumbers(unsigned_, stick, elsewhere).refusal, &msg::kNoMasterBootRecord);
    EXPECT_EQ(planMenuNumbers(extendedFirst(), stick, elsewhere).refusal, &msg::kIsoNotOnFirstDisk);
    EXPECT_EQ(planMenuNumbers(extendedFirst(), elsewhere, stick).refusal,
              &msg::kIsoPartitionNotInTable);
    EXPECT_EQ(planMenuNumbers(extendedFirst(), fixedVolumeAt(4096), elsewhere).refusal,
              &msg::kSystemPartitionNotInTable);
    EXPECT_FALSE(planMenuNumbers(extendedFirst(), fixedVolumeAt(4096), elsewhere).numbers);
}

TEST(InstallPlan, ASecondDiskIsRefusedButAnUnknownDiskIsJudgedByTheTable) {
    EXPECT_EQ(planMenuNumbers(extendedFirst(), fixedVolumeAt(4096, 1), fixedVolumeAt(2048)).refusal,
              &msg::kIsoNotOnFirstDisk);
    const InstallPlan unknown = planMenuNumbers(extendedFirst(), fixedVolumeAt(4096, std::nullopt),
                                                fixedVolumeAt(2048, std::nullopt));
    ASSERT_TRUE(unknown.numbers);
    EXPECT_EQ(unknown.numbers->isoPartitionNumber, 5u);
}

}  // namespace
}  // namespace kh::hd
