// Writes one of the program's resources out as a file, with the caller's
// messages for each step that can fail.
#pragma once

#include <string>

#include "common/shared_state.h"

namespace kh::payloads {

struct Notice {
    std::string text;
    std::string caption;
    unsigned flags;
};

// The messages of one write-out, one for each step that can fail.
struct PayloadMessages {
    Notice notFound;
    Notice loadFailed;
    Notice lockFailed;
    Notice createFailed;
};

enum class WriteOutcome {
    kWritten,           // the file holds exactly the resource's bytes
    kAbandoned,         // resource missing or empty; nothing created
    kLoadOrLockFailed,  // message shown, quit requested; nothing created
    kCreateFailed,      // target not written; no partial file is left behind
};

struct PayloadTarget {
    int resourceId;
    std::string path;
    // Boot payloads replace files an earlier install may have left read-only,
    // hidden or system.
    bool clearAttributesFirst = false;
};

WriteOutcome writePayload(SharedState& state, const PayloadTarget& target,
                          const PayloadMessages& messages);

}  // namespace kh::payloads
