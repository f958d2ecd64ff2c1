// Putting the live system's entry into the GRUB menu on the system drive.
#pragma once

#include "hdinstall/disk_state.h"
#include "hdinstall/install_plan.h"

namespace kh::hd {

enum class MenuOutcome { kDone, kRenameFailed, kFailed };

// Rewrites <system drive>:\menu.lst with the entry for `numbers` (see
// menuEntry) inserted (see insertMenuEntry), through a temporary copy that
// replaces the menu in one step. Failures show their message, request the end
// of the program and leave the menu as it was.
MenuOutcome rewriteMenu(DiskState& state, const MenuNumbers& numbers);

}  // namespace kh::hd
