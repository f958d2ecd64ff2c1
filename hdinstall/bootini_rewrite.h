// Adding the live system's entry to boot.ini and taking it out again. The
// file is replaced in one step, so boot.ini is complete at every moment. A
// failure shows its message (owned by the main window, except where noted),
// requests the end of the program and returns false.
#pragma once

#include "hdinstall/disk_state.h"

namespace kh::hd {

// Appends the entry (see addEntryToBootIni) and sets "timeout=15". An entry
// already there is reported ("Find error") and not added again; the rest
// still goes on. Failing to clear the attributes ends the program silently.
// On success boot.ini is left read-only.
bool addBootEntry(DiskState& state);

// Drops every line that holds the entry marker. On success boot.ini is left
// read-only.
bool removeBootEntry(DiskState& state);

}  // namespace kh::hd
