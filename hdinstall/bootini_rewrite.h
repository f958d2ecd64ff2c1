// Adding the live system's entry to boot.ini and taking it out again. The
// new content is worked out before anything changes, and the file is then
// replaced in one step, so boot.ini is complete at every moment; its
// attributes are put back as they were.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "common/report.h"
#include "hdinstall/disk_state.h"

namespace kh::hd {

// boot.ini as it is to be written.
struct BootIniChange {
    std::string content;
    uint32_t attributes = 0;  // the file's own, given back after the replace
};

// Reads boot.ini and works out the addition (see addEntryToBootIni:
// "timeout=15", the entry in [operating systems]). An entry already there is
// reported ("Find error") and not added again. Nothing changes; a file that
// cannot be read or has no [operating systems] section shows its message and
// gives nothing.
std::optional<BootIniChange> prepareBootEntry(DiskState& state);

// The same for taking out every line that holds the entry marker.
std::optional<BootIniChange> prepareBootEntryRemoval(DiskState& state);

// Replaces boot.ini by the prepared content. Nothing on success; otherwise the
// message to show (`inUse` when the old file may not be replaced), and
// boot.ini byte-identical with its attributes; `leftBehind` then names a
// temporary file that could not be deleted.
const Message* writeBootIni(DiskState& state, const BootIniChange& change, const Message& inUse,
                            std::string* leftBehind = nullptr);

}  // namespace kh::hd
