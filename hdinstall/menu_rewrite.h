// Putting the live system's entry into the GRUB menu on the system drive.
#pragma once

#include "hdinstall/disk_state.h"

namespace kh::hd {

enum class MenuOutcome { kDone, kRenameFailed, kFailed };

// Rewrites <system drive>:\menu.lst with menuEntry(isoPartitionNumber,
// system partition index) inserted (see insertMenuEntry), through a temporary
// copy that replaces the menu in one step. Failures show their message,
// request the end of the program and leave the menu as it was. Without a
// known system partition index nothing is done and kFailed returned.
MenuOutcome rewriteMenu(DiskState& state, unsigned isoPartitionNumber);

}  // namespace kh::hd
