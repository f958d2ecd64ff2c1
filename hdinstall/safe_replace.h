// Replacing a file's content so that a complete file is on disk at every
// moment: the new content goes to a temporary copy first, which then takes
// the file's place in one step.
#pragma once

#include <string>
#include <string_view>

#include "platform/system.h"

namespace kh::hd {

enum class ReplaceOutcome {
    kReplaced,
    kTemporaryFailed,  // the copy could not be written; `path` untouched
    kReplaceFailed,    // the copy could not take the place of `path`; `path` untouched
};

// Writes `content` to `temporaryPath` (created afresh, flushed and closed),
// then replaces `path` by it. A copy left behind by a failure is deleted.
ReplaceOutcome replaceContent(SystemServices& sys, const std::string& path,
                              const std::string& temporaryPath, std::string_view content);

}  // namespace kh::hd
