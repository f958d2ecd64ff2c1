// The partition table of physical drive 0 (master boot record and the chain of
// extended boot records) and the Linux partition numbering derived from it.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/system.h"

namespace kh::hd {

struct PartitionEntry {
    uint64_t startingOffset;  // bytes from the start of the disk
    unsigned linuxNumber;     // slot + 1 for primaries, 4 + k for the k-th logical drive
};

struct PartitionTable {
    // Primary slot of the first extended partition (types 0x05, 0x0F, 0x85).
    std::optional<int> extendedSlot;
    std::vector<PartitionEntry> entries;
    bool hasBootSignature = false;  // 0x55 0xAA at the end of sector 0
    bool protectiveGpt = false;     // a slot of type 0xEE: the real table is GPT
};

constexpr size_t kSectorSize = 512;

// Reads the primary slots from `mbr` (zero-padded when short) and follows the
// extended boot record chain through `disk`. A broken or looping chain ends
// the walk; what was found so far is kept.
PartitionTable parsePartitionTable(std::string_view mbr, RawDisk& disk);

// Linux number of the partition that starts at `startingOffset`, when the
// table holds one.
std::optional<unsigned> linuxNumberAt(const PartitionTable& table, uint64_t startingOffset);

}  // namespace kh::hd
