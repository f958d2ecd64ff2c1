// Reading written files back against the archive they came from: 7-Zip
// streams the members, and each is compared with its file on the drive as
// the bytes arrive, with the percentage on a status line and the window
// answering.
#pragma once

#include <string>
#include <vector>

#include "common/child_process.h"
#include "common/shared_state.h"
#include "platform/ui.h"
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
// `errorsPath`, against `members` under `folder`.
struct StreamSource {
    ChildCommand command;
    std::string errorsPath;
    std::string folder;
    std::vector<StreamMember> members;
};

// Runs the stream to its end (or to the first difference) and judges it with
// 7-Zip's exit code. The child is tracked while it runs, so that Exit stops it.
StreamCheck readBackStream(SharedState& state, const StreamSource& source, ControlId status,
                           const char* progressPattern);

}  // namespace kh::verify
