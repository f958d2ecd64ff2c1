// Reading written files back against the archive they came from: the
// members' bytes, read from the ISO where they lie or streamed by 7-Zip, are
// compared with their files on the drive as they arrive, with the percentage
// on a status line and the window answering.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/child_process.h"
#include "common/shared_state.h"
#include "platform/ui.h"
#include "verify/iso_extents.h"
#include "verify/readback.h"

namespace kh::verify {

struct StreamCheck {
    enum class Status {
        kSame,
        kDiffers,     // `file` holds other bytes (or cannot be read back)
        kUnverified,  // the stream could not be had to its end; nothing is known
        kStopped,     // Exit or the close box; nothing is known
    };
    Status status = Status::kUnverified;
    std::string file;  // relative to the folder, when kDiffers
};

// What to compare: the stream `command` writes, its standard error going to
// `errorsPath`, against `members` under `folder`. With `extents` (those of
// the members, in their order) the bytes are read from the ISO at `isoPath`
// where they lie instead, and 7-Zip is needed only when the ISO cannot be
// opened.
struct StreamSource {
    ChildCommand command;
    std::string errorsPath;
    std::string folder;
    std::vector<StreamMember> members;
    std::string isoPath = {};
    std::optional<std::vector<IsoExtent>> extents = {};
};

// Compares the members' bytes to their end (or to the first difference). From
// the stream, the result is judged with 7-Zip's exit code, and the child is
// tracked while it runs, so that Exit stops it.
StreamCheck readBackStream(SharedState& state, const StreamSource& source, ControlId status,
                           const char* progressPattern);

}  // namespace kh::verify
