// What the hard-disk procedures know of the machine: the first disk's
// partition table, the system drive and whether an install is present. The
// shared state is reached through it, its two seams named here as well.
#pragma once

#include <optional>
#include <string>

#include "common/shared_state.h"
#include "hdinstall/partition_table.h"

namespace kh::hd {

struct SystemDrive {
    char letter = 'C';
    std::string bootIniPath = "c:\\boot.ini";
    // A volume on an active partition was found; without one the menu entry
    // cannot name the system partition.
    bool found = false;
};

struct DiskState {
    explicit DiskState(SharedState& common) : shared(common), sys(common.sys), ui(common.ui) {}

    SharedState& shared;
    SystemServices& sys;
    UserInterface& ui;

    PartitionTable partitions;  // physical drive 0, read at start-up
    SystemDrive systemDrive;
    bool bootEntryPresent = false;
};

}  // namespace kh::hd
