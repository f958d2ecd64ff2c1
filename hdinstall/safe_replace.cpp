#include "hdinstall/safe_replace.h"

#include <memory>

#include "platform/gbk_path.h"

namespace kh::hd {

namespace {

// More than any folder holds of our own leftovers; bounds the search.
constexpr int kTemporaryNameTries = 100;

// A new file that did not exist before, so that deleting it later can never
// take a user's file; null when none could be created.
std::unique_ptr<WritableFile> createTemporary(SystemServices& sys, const std::string& path,
                                              const std::string& tag, std::string* created) {
    const std::string stem = directoryOf(path) + "\\~kh-" + tag;
    for (int n = 0; n < kTemporaryNameTries; ++n) {
        const std::string candidate = stem + std::to_string(n) + ".tmp";
        if (auto file = sys.createNewFile(candidate)) {
            *created = candidate;
            return file;
        }
        // Only a name already taken is worth another try.
        if (!sys.fileExists(candidate)) return nullptr;
    }
    return nullptr;
}

// The file is closed when this returns, also after a failure, so that it can
// be deleted.
bool writeCompletely(std::unique_ptr<WritableFile> file, std::string_view content) {
    const bool written = file->write(content) && file->flush();
    return file->close() && written;
}

}  // namespace

FileContent readTextFile(SystemServices& sys, const std::string& path) {
    FileContent content = sys.readFile(path, kMaxTextFileBytes);
    if (content.status == FileContent::Status::kOk &&
        content.bytes.find('\0') != std::string::npos) {
        return {FileContent::Status::kTooLarge, {}};
    }
    return content;
}

ReplaceOutcome replaceContent(SystemServices& sys, const std::string& path, const std::string& tag,
                              std::string_view content, std::string* leftBehind) {
    auto discard = [&](const std::string& temporary) {
        if (!sys.deleteFile(temporary) && leftBehind) *leftBehind = temporary;
    };
    std::string temporary;
    auto file = createTemporary(sys, path, tag, &temporary);
    if (!file) return ReplaceOutcome::kTemporaryFailed;
    if (!writeCompletely(std::move(file), content)) {
        discard(temporary);
        return ReplaceOutcome::kTemporaryFailed;
    }
    const ReplaceResult result = sys.replaceFile(temporary, path);
    if (result == ReplaceResult::kReplaced) return ReplaceOutcome::kReplaced;
    discard(temporary);
    return result == ReplaceResult::kTargetInUse ? ReplaceOutcome::kTargetInUse
                                                 : ReplaceOutcome::kReplaceFailed;
}

}  // namespace kh::hd
