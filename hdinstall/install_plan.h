// Which partitions the live system's menu entry names: the Linux number of
// the ISO's partition (isodev=/dev/sdaM) and the zero-based GRUB index of the
// system partition (root (hd0,N)). The entry names partitions of the first
// hard disk, so only a partition the first disk's own table lists can be
// named. Decided from the table and what Windows reports of the two volumes;
// the install and the boot tests' menu generator both ask here.
#pragma once

#include <cstdint>
#include <optional>

#include "common/report.h"
#include "hdinstall/partition_table.h"
#include "platform/system.h"

namespace kh::hd {

// What Windows reports of one volume.
struct VolumeFacts {
    PartitionQuery partition;
    DriveType type = DriveType::kUnknown;
    std::optional<uint32_t> diskNumber;  // nothing: the system cannot tell
};

// Queries partition, disk number and drive type of volume `letter`.
VolumeFacts volumeFacts(SystemServices& sys, char letter);

struct MenuNumbers {
    unsigned isoPartitionNumber;
    unsigned systemPartitionIndex;
};

// The numbers, or the refusal to show when the table cannot be trusted to
// name partitions (no boot signature, a protective GPT entry) or a volume is
// not a fixed volume of physical drive 0 starting where an entry of its table
// starts. Where the system cannot tell the disk, the table match alone
// decides. The ISO is judged before the system volume.
struct InstallPlan {
    std::optional<MenuNumbers> numbers;
    const Message* refusal = nullptr;
};

InstallPlan planMenuNumbers(const PartitionTable& table, const VolumeFacts& iso,
                            const VolumeFacts& system);

}  // namespace kh::hd
