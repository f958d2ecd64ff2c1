#include "verify/stream_check.h"

#include <memory>

#include "common/sevenzip.h"
#include "verify/iso_check.h"

namespace kh::verify {

namespace {

constexpr size_t kPieceBytes = 1024 * 1024;
// How long a look at the stream waits for bytes before the window is served.
constexpr uint32_t kLookMs = 5;
// 7-Zip reading an ISO from a disk says something many times a second; ten
// minutes of silence means it hangs.
constexpr uint32_t kSilenceLimitMs = 10 * 60 * 1000;

uint64_t totalBytes(const std::vector<StreamMember>& members) {
    uint64_t total = 0;
    for (const StreamMember& member : members) total += member.size;
    return total;
}

int percentOf(uint64_t done, uint64_t total) {
    return total == 0 || done >= total ? 100 : static_cast<int>(done * 100 / total);
}

enum class Feeding { kEnded, kSettled, kFailed, kStopped };

// Feeds the comparer until the stream ends, a difference settles the result,
// the stream fails or falls silent, or the user stops it.
Feeding feedStream(SharedState& state, ChildOutput& output, ReadBackComparer& comparer,
                   uint64_t total, ControlId status, const char* pattern) {
    const auto piece = std::make_unique<char[]>(kPieceBytes);
    uint64_t done = 0;
    uint32_t silentMs = 0;
    for (;;) {
        const OutputRead read = output.read(piece.get(), kPieceBytes, kLookMs);
        switch (read.status) {
            case OutputRead::Status::kEnded:
                return Feeding::kEnded;
            case OutputRead::Status::kFailed:
                return Feeding::kFailed;
            case OutputRead::Status::kNone:
                silentMs += kLookMs;
                if (silentMs >= kSilenceLimitMs) return Feeding::kFailed;
                break;
            case OutputRead::Status::kBytes:
                silentMs = 0;
                done += read.size;
                if (!comparer.feed(std::string_view(piece.get(), read.size))) {
                    return Feeding::kSettled;
                }
                break;
        }
        if (!showCheckProgress(state, status, pattern, percentOf(done, total))) {
            return Feeding::kStopped;
        }
    }
}

// The child's exit code once it has ended; a child still running (the
// comparison settled early, or it was stopped) is ended first and has none.
std::optional<uint32_t> endChild(SharedState& state, ProcessHandle child, bool mayRun) {
    std::optional<uint32_t> code;
    bool ended = false;
    if (!mayRun && state.sys.waitForExit(child, kStopWaitMs)) {
        ended = true;
        code = state.sys.exitCode(child);
    } else {
        state.sys.terminate(child, kStoppedExitCode);
        ended = state.sys.waitForExit(child, kStopWaitMs);
    }
    // One that will not go stays tracked: it still holds the tools.
    if (ended) {
        state.sys.closeProcess(child);
        state.extractionChild = 0;
    }
    return code;
}

StreamCheck judge(const ReadBack& result, Feeding feeding, std::optional<uint32_t> exitCode) {
    using Status = StreamCheck::Status;
    if (feeding == Feeding::kStopped) return {Status::kStopped, {}};
    if (result.status == ReadBack::Status::kDiffers ||
        result.status == ReadBack::Status::kUnreadable) {
        return {Status::kDiffers, result.file};
    }
    const bool complete = feeding == Feeding::kEnded && exitCode && sevenzip::succeeded(*exitCode);
    if (result.status == ReadBack::Status::kSame && complete) return {Status::kSame, {}};
    return {Status::kUnverified, {}};
}

}  // namespace

StreamCheck readBackStream(SharedState& state, const StreamSource& source, ControlId status,
                           const char* progressPattern) {
    const ProcessLaunch launch{source.command.program, source.command.commandLine,
                               state.sys.systemDirectory(), source.errorsPath,
                               source.command.console};
    StreamingChild child = state.sys.startStreaming(launch);
    if (child.process == 0) return {};
    state.extractionChild = child.process;

    ReadBackComparer comparer(state.sys, source.folder, source.members);
    const Feeding feeding = feedStream(state, *child.output, comparer, totalBytes(source.members),
                                       status, progressPattern);
    child.output.reset();
    const auto exitCode = endChild(state, child.process, feeding != Feeding::kEnded);
    return judge(comparer.finish(), feeding, exitCode);
}

}  // namespace kh::verify
