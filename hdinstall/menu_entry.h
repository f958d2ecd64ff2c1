// The GRUB menu entry that boots the live system from the ISO, and where it
// goes in the menu. Pure functions.
#pragma once

#include <string>
#include <string_view>

namespace kh::hd {

// The five lines of the entry, LF line ends, the last line empty.
// `isoPartitionNumber` is the Linux number of the ISO's partition (sdaM),
// `systemPartitionIndex` the zero-based GRUB number of the system partition.
std::string menuEntry(unsigned isoPartitionNumber, unsigned systemPartitionIndex);

// True for a line that starts a menu item the entry is put in front of: it
// holds no '#', and its first letter 't' (GBK double-byte characters taken
// whole) starts the word "title".
bool isFirstTitleCandidate(std::string_view line);

// The menu with `entry` inserted in front of the first qualifying line (a menu
// without one keeps its lines), in the line model of bootini_rules.h: every
// line, the entry's included, ends in CR LF unless it is a last line without
// a line end.
std::string insertMenuEntry(std::string_view menu, std::string_view entry);

}  // namespace kh::hd
