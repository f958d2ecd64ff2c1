// Hashing a whole file through the system seam, in large sequential reads,
// with progress for the status line and a way to stop at once.
#pragma once

#include <functional>
#include <string>

#include "platform/system.h"
#include "verify/digest.h"

namespace kh::verify {

// Called after every piece read with the percentage done (0..100); returns
// false to stop. It is called often enough (every few megabytes) for the
// caller to keep the window answering; the percentage repeats between calls.
using HashProgress = std::function<bool(int percent)>;

struct FileHash {
    enum class Status { kDone, kUnreadable, kCancelled };
    Status status = Status::kUnreadable;
    std::string hexDigest;  // lower case, when kDone
};

// The size of one read: large enough that the disk streams, small enough
// that progress and a stop request are seen several times a second.
inline constexpr size_t kHashReadBytes = 4 * 1024 * 1024;

FileHash hashFile(SystemServices& system, const std::string& path, HashAlgorithm algorithm,
                  const HashProgress& progress);

}  // namespace kh::verify
