// The first disk's partition table, the Linux numbering derived from it, and
// the menu entry's numbers planned as a pure function of the table and the two
// volumes; the refusals' wording is checked through the whole install in
// install_flow_test.cpp.
#include "hdinstall/install_plan.h"

#include <gtest/gtest.h>

#include "hdinstall/messages.h"
#include "hdinstall/partition_table.h"
#include "platform/sim/sim_system.h"
#include "tests/support/sim_env.h"

namespace kh::hd {
namespace {

using test::SlotSpec;
using test::writeTable;

// The table of `image` as the program reads it from the simulated first disk.
PartitionTable parse(sim::SimSystem& sys, const std::string& image) {
    sys.setDiskImage(image);
    const auto disk = sys.openPhysicalDrive0();
    return parsePartitionTable(disk->read(0, kSectorSize), *disk);
}

std::optional<unsigned> numberAt(const PartitionTable& table, uint32_t sector) {
    return linuxNumberAt(table, uint64_t{sector} * kSectorSize);
}

// Primary in slot 0, extended (type) in slot 1 holding logical drives at 2048
// and 4096 sectors into it.
std::string diskWithExtended(uint8_t type) {
    std::string image = test::blankDisk(16);
    writeTable(image, 0, {{0x07, 63, 1000, true}, {type, 10000, 50000}});
    writeTable(image, 10000, {{0x07, 63, 1000}, {0x05, 2048, 2000}});
    writeTable(image, 12048, {{0x0B, 63, 1000}});
    return image;
}

TEST(PartitionTable, NumbersPrimariesBySlotAndLogicalDrivesFromFive) {
    for (uint8_t type : {0x0F, 0x05, 0x85}) {
        sim::SimSystem sys;
        const PartitionTable table = parse(sys, diskWithExtended(type));
        ASSERT_EQ(table.extendedSlot, 1) << int{type};
        EXPECT_EQ(numberAt(table, 63), 1u);
        EXPECT_EQ(numberAt(table, 10063), 5u);
        EXPECT_EQ(numberAt(table, 12111), 6u);
    }
}

// Slot 0 empty, the first of two extended slots in slot 1, an OEM recovery
// partition in slot 3: primaries keep their slot numbers.
TEST(PartitionTable, GapsAndPrimaryAfterTheExtendedSlotKeepTheirSlotNumbers) {
    std::string image = test::blankDisk(16);
    writeTable(image, 0, {{}, {0x0F, 10000, 5000}, {0x0F, 40000, 100}, {0x27, 90000, 1000}});
    writeTable(image, 10000, {{0x07, 63, 1000}});
    sim::SimSystem sys;
    const PartitionTable table = parse(sys, image);
    EXPECT_EQ(table.extendedSlot, 1);
    EXPECT_EQ(numberAt(table, 0), std::nullopt);  // the empty slot is no partition
    EXPECT_EQ(numberAt(table, 90000), 4u);
    EXPECT_EQ(numberAt(table, 10063), 5u);
}

TEST(PartitionTable, LoopingOrBrokenChainsEndTheWalk) {
    std::string looping = test::blankDisk(16);
    writeTable(looping, 0, {{0x0F, 100, 5000}});
    writeTable(looping, 100, {{0x07, 63, 10}, {0x05, 0x200, 10}});
    writeTable(looping, 100 + 0x200, {{0x07, 63, 10}, {0x05, 0x200, 10}});  // points to itself
    sim::SimSystem sys;
    const PartitionTable loop = parse(sys, looping);
    EXPECT_LE(sys.calls().size(), 1u + 4);  // the disk opened, four records read
    EXPECT_EQ(numberAt(loop, 100 + 0x200 + 63), 6u);

    std::string selfLoop = test::blankDisk(16);
    writeTable(selfLoop, 0, {{0x0F, 100, 5000}});
    writeTable(selfLoop, 100, {{0x07, 63, 10}, {0x05, 0xFFFFFFF0, 10}});  // beyond the disk
    const PartitionTable broken = parse(sys, selfLoop);
    EXPECT_EQ(numberAt(broken, 163), 5u);

    // A boot record whose first entry is empty or has no sectors ends the chain.
    for (const SlotSpec& first : {SlotSpec{0x00, 63, 10}, SlotSpec{0x07, 63, 0}}) {
        std::string image = test::blankDisk(16);
        writeTable(image, 0, {{0x0F, 100, 5000}});
        writeTable(image, 100, {first, {0x05, 0x200, 10}});
        writeTable(image, 100 + 0x200, {{0x07, 63, 10}});
        sim::SimSystem sys;
        const PartitionTable table = parse(sys, image);
        EXPECT_TRUE(table.entries.empty()) << int{first.type};
    }
}

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

}  // namespace
}  // namespace kh::hd
