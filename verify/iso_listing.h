// The files of an ISO as 7-Zip's technical listing ("l -slt") names them, in
// the order 7-Zip writes them to a stream.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "verify/readback.h"

namespace kh::verify {

// The files of the listing in its order, without folders and without the
// "[BOOT]" images 7-Zip shows for El Torito; nothing when the listing names no
// item. A size misread makes the stream's split fail, never pass.
std::optional<std::vector<StreamMember>> listedFiles(const std::string& listing);

}  // namespace kh::verify
