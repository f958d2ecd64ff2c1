// The conventions of the embedded 7-Zip console program: its file names, its
// command lines, its exit codes and how its output is read. Both procedures
// run it; what it is asked and how its answer is judged is decided here only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/child_process.h"

namespace kh::sevenzip {

// Written into the tools folder and run from there by full path.
inline constexpr const char* kExeName = "7z.exe";
inline constexpr const char* kDllName = "7z.dll";

// Exit codes: 1 is a warning (e.g. a file it could not open, data after the
// end of the image) after which the work asked for is still complete. A
// stopped 7-Zip is given kStoppedExitCode (child_process.h), its own code
// for "stopped by the user".
inline constexpr uint32_t kOk = 0;
inline constexpr uint32_t kWarning = 1;

inline bool succeeded(uint32_t exitCode) { return exitCode == kOk || exitCode == kWarning; }

// Each command runs the 7z.exe at `program` (its full path).

// "e -y": the files of the ISO matching any of `patterns` (folders dropped)
// into `folder` (no final backslash), which 7-Zip creates; one run for all, as
// every start of 7-Zip costs as much as extracting a kernel. Silent (-bso0
// -bsp0): nobody reads what it says, and a child hidden without handles of its
// own says it to a console made for it, which costs more than the extraction.
ChildCommand extractFilesCommand(const std::string& program, const std::string& isoPath,
                                 const std::string& folder,
                                 const std::vector<std::string>& patterns);

// "x -y": the whole ISO into the root of drive `letter`, with the percentage
// done reported on standard output (-bsp1) and the "[BOOT]" pseudo-folder
// 7-Zip shows for El Torito images left out.
ChildCommand extractAllCommand(const std::string& program, const std::string& isoPath, char letter);

// "x -so": the files of the ISO (all but the "[BOOT]" pseudo-folder, or only
// `names`, as listed) written to standard output one after the other, in the
// listing's order, with nothing between them; standard error carries only
// errors (-bsp0: no percentage).
ChildCommand streamAllCommand(const std::string& program, const std::string& isoPath);
ChildCommand streamFilesCommand(const std::string& program, const std::string& isoPath,
                                const std::vector<std::string>& names);

// "l -slt": the technical listing of the ISO, a block of "Key = value" lines
// per item, its names in the ANSI code page.
ChildCommand listCommand(const std::string& program, const std::string& isoPath);

// One item of a technical listing.
struct ListedItem {
    std::string path;  // inside the image, with backslashes
    uint64_t size = 0;
    bool folder = false;
};

// The items of a technical listing, in its order: the blocks after the
// "----------" line that ends the block of the image itself. Nothing when
// that line is missing: 7-Zip did not get as far as the items.
std::optional<std::vector<ListedItem>> listedItems(const std::string& listing);

// Whether `path` lies in the "[BOOT]" pseudo-folder in which 7-Zip lists the
// boot images of an El Torito ISO: no file of the image's tree.
bool isBootImage(std::string_view path);

// Whether the items hold a file (not a folder) at `path`, letter case ignored
// as ISO 9660 and FAT ignore it.
bool holdsFile(const std::vector<ListedItem>& items, std::string_view path);

// The size of the first file among the listed items whose path starts with
// `prefix` (letter case ignored); nothing when no file does.
std::optional<uint64_t> listedSize(const std::string& listing, const std::string& prefix);

// The last "N%" of a progress report (-bsp1).
std::optional<uint64_t> lastReportedPercent(std::string_view report);

}  // namespace kh::sevenzip
