#include "hdinstall/safe_replace.h"

namespace kh::hd {

namespace {

// The file is closed when this returns, also after a failure, so that the
// copy can be deleted.
bool writeCompletely(SystemServices& sys, const std::string& path, std::string_view content) {
    const auto file = sys.createFile(path);
    return file && file->write(content) && file->flush() && file->close();
}

}  // namespace

ReplaceOutcome replaceContent(SystemServices& sys, const std::string& path,
                              const std::string& temporaryPath, std::string_view content) {
    if (!writeCompletely(sys, temporaryPath, content)) {
        sys.deleteFile(temporaryPath);
        return ReplaceOutcome::kTemporaryFailed;
    }
    if (!sys.replaceFile(temporaryPath, path)) {
        sys.deleteFile(temporaryPath);
        return ReplaceOutcome::kReplaceFailed;
    }
    return ReplaceOutcome::kReplaced;
}

}  // namespace kh::hd
