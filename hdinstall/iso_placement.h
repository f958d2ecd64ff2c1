// Where the live system expects its ISO: in the root folder of the drive that
// holds it, under the same file name.
#pragma once

#include <string>

#include "hdinstall/disk_state.h"
#include "hdinstall/install_changes.h"

namespace kh::hd {

// The ISO's drive letter + ":\" + its file name.
std::string isoRootPath(const std::string& isoPath);

enum class Placement {
    kInPlace,     // a file of that name is in the root (moved there or found there)
    kMoveFailed,  // reported, end requested
    kDeclined,    // the user said no; end requested
};

// Moves the ISO to `rootPath` after asking, unless a file of that name is
// there already; the move is recorded in `changes`.
Placement placeIsoAtRoot(DiskState& state, Changes& changes, const std::string& isoPath,
                         const std::string& rootPath);

}  // namespace kh::hd
