#include "hdinstall/partition_table.h"

#include <set>
#include <string>

namespace kh::hd {

namespace {

constexpr size_t kTableOffset = 446;
constexpr size_t kEntrySize = 16;
// More logical drives than any real disk holds; bounds a corrupt chain.
constexpr int kMaxLogicalDrives = 128;
constexpr uint8_t kProtectiveGptType = 0xEE;

struct RawEntry {
    uint8_t type;
    uint32_t firstSector;
    uint32_t sectorCount;
};

bool isExtendedType(uint8_t type) { return type == 0x05 || type == 0x0F || type == 0x85; }

uint32_t readLe32(std::string_view bytes, size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(bytes.at(at + i));
    return value;
}

RawEntry entryAt(std::string_view sector, int slot) {
    const size_t base = kTableOffset + kEntrySize * slot;
    // Checked access: a slot past the table would read beyond the sector.
    return {static_cast<uint8_t>(sector.at(base + 4)), readLe32(sector, base + 8),
            readLe32(sector, base + 12)};
}

std::string padToSector(std::string_view bytes) {
    std::string sector(bytes.substr(0, kSectorSize));
    sector.resize(kSectorSize, '\0');
    return sector;
}

void walkLogicalDrives(uint64_t extendedStart, RawDisk& disk, PartitionTable& table) {
    std::set<uint64_t> visited;
    uint64_t ebrSector = extendedStart;
    for (int k = 1; k <= kMaxLogicalDrives; ++k) {
        if (!visited.insert(ebrSector).second) return;  // loop in the chain
        const std::string read = disk.read(ebrSector * kSectorSize, kSectorSize);
        if (read.size() < kSectorSize) return;
        const RawEntry logical = entryAt(read, 0);
        if (logical.type == 0 || logical.sectorCount == 0) return;
        table.entries.push_back(
            {(ebrSector + logical.firstSector) * kSectorSize, static_cast<unsigned>(4 + k)});
        const RawEntry next = entryAt(read, 1);
        if (!isExtendedType(next.type) || next.firstSector == 0) return;
        ebrSector = extendedStart + next.firstSector;
    }
}

}  // namespace

PartitionTable parsePartitionTable(std::string_view mbr, RawDisk& disk) {
    const std::string sector = padToSector(mbr);
    PartitionTable table;
    table.hasBootSignature = static_cast<uint8_t>(sector[kSectorSize - 2]) == 0x55 &&
                             static_cast<uint8_t>(sector[kSectorSize - 1]) == 0xAA;
    for (int slot = 0; slot < 4; ++slot) {
        const RawEntry entry = entryAt(sector, slot);
        if (entry.type == 0) continue;
        if (entry.type == kProtectiveGptType) table.protectiveGpt = true;
        if (isExtendedType(entry.type)) {
            if (!table.extendedSlot) {
                table.extendedSlot = slot;
                walkLogicalDrives(entry.firstSector, disk, table);
            }
            continue;
        }
        table.entries.push_back(
            {uint64_t{entry.firstSector} * kSectorSize, static_cast<unsigned>(slot + 1)});
    }
    return table;
}

std::optional<unsigned> linuxNumberAt(const PartitionTable& table, uint64_t startingOffset) {
    for (const auto& entry : table.entries) {
        if (entry.startingOffset == startingOffset) return entry.linuxNumber;
    }
    return std::nullopt;
}

}  // namespace kh::hd
