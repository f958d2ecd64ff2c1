// Checks made while the main window is created: the partition table of the
// first disk, the system drive with its boot.ini, administrator rights and an
// earlier install.
#pragma once

#include "hdinstall/disk_state.h"

namespace kh::hd {

// Reads physical drive 0's partition table into state.partitions. On failure
// shows its message (no owner), posts the quit request and returns false.
bool scanMasterBootRecord(DiskState& state);

// Finds the first volume C..V on an active partition and makes it the system
// drive; checks that boot.ini exists there and that its attributes may be
// set (administrator rights), without changing them. A failed check shows its
// warning and posts the quit request.
void searchSystemDrive(DiskState& state);

// Sets state.bootEntryPresent when a line of boot.ini holds the entry marker.
void detectInstall(DiskState& state);

}  // namespace kh::hd
