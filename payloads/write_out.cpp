#include "payloads/write_out.h"

#include "common/report.h"
#include "platform/winconst.h"

namespace kh::payloads {

namespace {

// Every step's message is a failure: the end is requested after it.
void report(SharedState& state, const Notice& notice) {
    const Message failure{"", notice.caption.c_str(), notice.flags, MessageKind::kFailure};
    show(state, failure, notice.text);
}

// Closes the file in any case, so that a failed one can be deleted.
bool writeWhole(WritableFile& file, std::string_view bytes, bool durable) {
    const bool written = file.write(bytes) && (!durable || file.flush());
    return file.close() && written;
}

}  // namespace

WriteOutcome writePayload(SharedState& state, const PayloadTarget& target,
                          const PayloadMessages& messages) {
    SystemServices& sys = state.sys;
    if (target.clearAttributesFirst && sys.fileExists(target.path)) {
        sys.setAttributes(target.path, win::kAttrNormal);
    }
    const Resource resource = sys.resource(target.resourceId);
    switch (resource.status) {
        case Resource::Status::kNotFound:
            report(state, messages.notFound);
            return WriteOutcome::kAbandoned;
        case Resource::Status::kLoadFailed:
            report(state, messages.loadFailed);
            return WriteOutcome::kLoadOrLockFailed;
        case Resource::Status::kLockFailed:
            report(state, messages.lockFailed);
            return WriteOutcome::kLoadOrLockFailed;
        case Resource::Status::kOk:
            break;
    }
    if (resource.bytes.empty()) return WriteOutcome::kAbandoned;

    auto file = sys.createFile(target.path);
    if (!file) {
        report(state, messages.createFailed);
        return WriteOutcome::kCreateFailed;
    }
    if (!writeWhole(*file, resource.bytes, target.durable)) {
        // A truncated loader or menu must never be left looking written.
        sys.deleteFile(target.path);
        report(state, messages.createFailed);
        return WriteOutcome::kCreateFailed;
    }
    return WriteOutcome::kWritten;
}

WriteOutcome writeTool(SharedState& state, const ToolFile& tool, const PayloadMessages& messages) {
    const auto path = newToolFile(state, tool.name);
    if (!path) {
        report(state, messages.createFailed);
        return WriteOutcome::kCreateFailed;
    }
    return writePayload(state, {tool.resourceId, *path, false, false}, messages);
}

}  // namespace kh::payloads
