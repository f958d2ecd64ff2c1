// Reading the text files the install rewrites, and replacing their content so
// that a complete file is on disk at every moment: the new content goes to a
// temporary file first, which then takes the file's place in one step.
#pragma once

#include <string>
#include <string_view>

#include "platform/system.h"

namespace kh::hd {

// The whole file when it is at most kMaxTextFileBytes long and holds no NUL
// byte; kTooLarge also stands for a binary file.
FileContent readTextFile(SystemServices& sys, const std::string& path);

enum class ReplaceOutcome {
    kReplaced,
    kTemporaryFailed,  // the temporary file could not be written; `path` untouched
    kTargetInUse,      // `path` may not be replaced (access denied, in use); untouched
    kReplaceFailed,    // the temporary file could not take the place of `path`; untouched
};

// Writes `content` to a temporary file of a name nobody uses
// ("~kh-<tag>N.tmp" beside `path`, on the same volume so that the replace is
// one step), then replaces `path` by it. The temporary file is deleted after
// any failure (`leftBehind` names it when that delete failed); no other file
// is ever deleted.
ReplaceOutcome replaceContent(SystemServices& sys, const std::string& path, const std::string& tag,
                              std::string_view content, std::string* leftBehind = nullptr);

}  // namespace kh::hd
