#include "payloads/write_out.h"

#include "common/report.h"
#include "platform/winconst.h"

namespace kh::payloads {

namespace {

// The name of the file at `path`, which a write-out's text may name.
std::string_view fileName(std::string_view path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

void report(SharedState& state, const Message& message, std::string_view name) {
    show(state, message, namingFile(message, name));
}

// Closes the file in any case, so that a failed one can be deleted.
bool writeWhole(WritableFile& file, std::string_view bytes, bool durable) {
    const bool written = file.write(bytes) && (!durable || file.flush());
    return file.close() && written;
}

}  // namespace

// A GBK trail byte is never '%'.
std::string namingFile(const Message& message, std::string_view name) {
    std::string text = message.text;
    const size_t at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, name);
    return text;
}

WriteOutcome writePayload(SharedState& state, const PayloadTarget& target,
                          const WriteOutMessages& messages) {
    SystemServices& sys = state.sys;
    if (target.clearAttributesFirst && sys.fileExists(target.path)) {
        sys.setAttributes(target.path, win::kAttrNormal);
    }
    const Resource resource = sys.resource(target.resourceId);
    switch (resource.status) {
        case Resource::Status::kNotFound:
            report(state, messages.notFound, fileName(target.path));
            return WriteOutcome::kAbandoned;
        case Resource::Status::kLoadFailed:
            report(state, messages.loadFailed, fileName(target.path));
            return WriteOutcome::kLoadOrLockFailed;
        case Resource::Status::kLockFailed:
            report(state, messages.lockFailed, fileName(target.path));
            return WriteOutcome::kLoadOrLockFailed;
        case Resource::Status::kOk:
            break;
    }
    if (resource.bytes.empty()) return WriteOutcome::kAbandoned;

    auto file = sys.createFile(target.path);
    if (!file) {
        report(state, messages.createFailed, fileName(target.path));
        return WriteOutcome::kCreateFailed;
    }
    if (!writeWhole(*file, resource.bytes, target.durable)) {
        // A truncated loader or menu must never be left looking written.
        sys.deleteFile(target.path);
        report(state, messages.createFailed, fileName(target.path));
        return WriteOutcome::kCreateFailed;
    }
    return WriteOutcome::kWritten;
}

bool writePayloadQuietly(SystemServices& sys, int resourceId, const std::string& path) {
    const Resource resource = sys.resource(resourceId);
    if (resource.status != Resource::Status::kOk || resource.bytes.empty()) return false;
    auto file = sys.createNewFile(path);
    if (!file) return false;
    if (writeWhole(*file, resource.bytes, true)) return true;
    sys.deleteFile(path);
    return false;
}

WriteOutcome writeTool(SharedState& state, const ToolFile& tool, const WriteOutMessages& messages) {
    const auto path = newToolFile(state, tool.name);
    if (!path) {
        report(state, messages.createFailed, tool.name);
        return WriteOutcome::kCreateFailed;
    }
    return writePayload(state, {tool.resourceId, *path, false, false}, messages);
}

}  // namespace kh::payloads
