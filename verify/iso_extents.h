// Where the files of an ISO 9660 image lie in it. The image stores each file
// as one run of sectors, as it is: its bytes can be read from the image
// directly, faster than any tool extracts and streams them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/system.h"
#include "verify/readback.h"

namespace kh::verify {

struct IsoExtent {
    uint64_t offset = 0;  // bytes from the image's start
    uint64_t size = 0;
};

// Where each of `members` lies in `iso`, in their order. The members are
// named as 7-Zip lists them: backslashes, letter case aside, the Joliet names
// when the image has Joliet ones. Nothing unless every member is found as one
// plain run of its listed size: whatever the image holds beyond that (names
// beyond ASCII, files in several runs, damaged records) is left to 7-Zip.
std::optional<std::vector<IsoExtent>> isoExtents(ReadableFile& iso,
                                                 const std::vector<StreamMember>& members);

// The same for the image at `isoPath`, read through the system cache.
std::optional<std::vector<IsoExtent>> isoExtents(SystemServices& system, const std::string& isoPath,
                                                 const std::vector<StreamMember>& members);

}  // namespace kh::verify
