// The first disk's partition table and the Linux numbering derived from it;
// the menu numbers planned from it are followed through the whole install
// (install_flow_test.cpp).
#include "hdinstall/partition_table.h"

#include <gtest/gtest.h>

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

// Primaries keep their slot numbers whatever is beside them (an empty slot 0,
// a second extended slot, an OEM partition in slot 3); the logical drives of
// the first extended slot count from five, also under the type 0x85 (the
// install tests' disk has the types 0x0F and 0x05).
TEST(PartitionTable, NumbersPrimariesBySlotAndLogicalDrivesFromFive) {
    std::string image = test::blankDisk(16);
    writeTable(image, 0, {{}, {0x85, 10000, 50000}, {0x0F, 70000, 100}, {0x27, 90000, 1000}});
    writeTable(image, 10000, {{0x07, 63, 1000}, {0x05, 1, 2000}});  // the next record at once
    writeTable(image, 10001, {{0x0B, 63, 1000}});
    sim::SimSystem sys;
    const PartitionTable table = parse(sys, image);
    ASSERT_EQ(table.extendedSlot, 1);
    EXPECT_EQ(numberAt(table, 0), std::nullopt);  // the empty slot is no partition
    EXPECT_EQ(numberAt(table, 90000), 4u);
    EXPECT_EQ(numberAt(table, 10063), 5u);
    EXPECT_EQ(numberAt(table, 10064), 6u);
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

    // A boot record whose first entry is empty or has no sectors ends the chain; one whose second
    // entry is no extended partition, or points beyond the disk, ends it after its own drive.
    const struct {
        SlotSpec first, next;
        size_t drives;
    } ends[] = {{{0x00, 63, 10}, {0x05, 0x200, 10}, 0},
                {{0x07, 63, 0}, {0x05, 0x200, 10}, 0},
                {{0x07, 63, 10}, {0x07, 0x200, 10}, 1},
                {{0x07, 63, 10}, {0x05, 0xFFFFFFF0, 10}, 1}};
    for (const auto& end : ends) {
        std::string image = test::blankDisk(16);
        writeTable(image, 0, {{0x0F, 100, 5000}});
        writeTable(image, 100, {end.first, end.next});
        writeTable(image, 100 + 0x200, {{0x07, 63, 10}});
        sim::SimSystem sys;
        EXPECT_EQ(parse(sys, image).entries.size(), end.drives) << int{end.next.type};
    }
}

}  // namespace
}  // namespace kh::hd
