// Where the ISO and the system volume lie: the menu entry names partitions of
// the first hard disk, so only a partition the first disk's own table lists
// can be named.
#pragma once

#include <optional>

#include "app/app_state.h"
#include "hdinstall/messages.h"

namespace kh::hd {

// What to say when a volume is refused.
struct LocationTexts {
    const char* notOnFirstDisk;
    const char* notInTable;
};
inline constexpr LocationTexts kIsoLocation{msg::kIsoNotOnFirstDisk, msg::kIsoPartitionNotInTable};
inline constexpr LocationTexts kSystemLocation{msg::kSystemNotOnFirstDisk,
                                               msg::kSystemPartitionNotInTable};

// Refuses a first disk whose table cannot be trusted to name partitions (no
// boot signature, a protective GPT entry); true when it can. Every refusal
// here and below shows its message and gives the OK button back: nothing has
// been changed yet.
bool firstDiskTableUsable(AppState& state);

// The Linux number of the volume `letter` when it is a fixed volume of
// physical drive 0 that starts where an entry of the drive's table starts.
// Where the system cannot tell the disk, the table match alone decides.
// Otherwise its message is shown and nothing returned.
std::optional<unsigned> firstDiskPartition(AppState& state, char letter,
                                           const LocationTexts& texts);

}  // namespace kh::hd
