// The install's record on the system drive: which files in its root are ours,
// and which files of another boot tool were kept aside under which name. A
// file is ours by this record, never by its bytes: GRUB rewrites its files at
// boot, and users edit menu.lst.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kh::hd {

struct KeptFile {
    std::string name;   // in the root, where it goes back to
    std::string aside;  // in the root, while our install is in place
};

struct InstallRecord {
    std::vector<std::string> ours;
    std::vector<KeptFile> kept;
};

// One item a line: "ours <name>" or "kept <name> <aside name>", CR LF.
std::string formatRecord(const InstallRecord& record);

// Nothing when a line is not one of ours: such a file is left alone.
std::optional<InstallRecord> parseRecord(std::string_view text);

}  // namespace kh::hd
