// The files the hard-disk install leaves in the root of the system drive. The
// install writes them under these names, the restore deletes exactly this
// list, and the tests compare what an install leaves with it: a boot file
// added here is also taken away again.
#pragma once

#include <array>
#include <string>

#include "common/live_iso.h"

namespace kh::hd::installed {

inline constexpr const char* kGrldr = "grldr";    // the loader boot.ini starts
inline constexpr const char* kG2ldr = "g2ldr";    // its second stage (GRUB 2 based grldr only)
inline constexpr const char* kMenu = "menu.lst";  // the loader's menu
inline constexpr const char* kFonts = "fonts";    // the menu's GB2312 glyphs
inline constexpr const char* kSplash = "greengem.xpm";
inline constexpr const char* kKernel = live::kKernel;  // extracted from the ISO
inline constexpr const char* kInitrd = live::kInitrd;
// The menu's saved choice (`default /default'), with g2ldr only: a GRUB
// environment block.
inline constexpr const char* kDefaultEntry = "default";

// Every installed file, in the order the restore deletes them and names the
// ones it could not delete.
inline constexpr std::array<const char*, 8> kAll = {kKernel, kMenu,   kInitrd, kFonts,
                                                    kGrldr,  kSplash, kG2ldr,  kDefaultEntry};

// The install's record (install_record.h), beside the files it names.
inline constexpr const char* kRecord = "korvane.rec";

// "X:\name" on the system drive `letter`.
inline std::string onDrive(char letter, const std::string& name) {
    return std::string{letter, ':', '\\'} + name;
}

}  // namespace kh::hd::installed
