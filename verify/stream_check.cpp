#include "verify/stream_check.h"

#include <algorithm>
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

// Where the bytes the files should hold come from, one look at a time.
class PieceSource {
  public:
    virtual ~PieceSource() = default;
    virtual OutputRead next(char* buffer, size_t capacity) = 0;
};

// 7-Zip's stream: a look waits a little for bytes, so that the window is
// served while 7-Zip works.
class StreamPieces : public PieceSource {
  public:
    explicit StreamPieces(ChildOutput& output) : output_(output) {}
    OutputRead next(char* buffer, size_t capacity) override {
        return output_.read(buffer, capacity, kLookMs);
    }

  private:
    ChildOutput& output_;
};

// The members' bytes read from the ISO where they lie, one member after the
// other in their order.
class ExtentPieces : public PieceSource {
  public:
    ExtentPieces(ReadableFile& iso, const std::vector<IsoExtent>& extents)
        : iso_(iso), extents_(extents) {}
    OutputRead next(char* buffer, size_t capacity) override {
        while (left_ == 0) {
            if (next_ == extents_.size()) return {OutputRead::Status::kEnded};
            const IsoExtent& extent = extents_[next_++];
            left_ = extent.size;
            if (left_ != 0 && !iso_.seek(extent.offset)) return {OutputRead::Status::kFailed};
        }
        const auto got =
            iso_.read(buffer, static_cast<size_t>(std::min<uint64_t>(capacity, left_)));
        if (!got || *got == 0) return {OutputRead::Status::kFailed};  // the ISO ends short
        left_ -= *got;
        return {OutputRead::Status::kBytes, *got};
    }

  private:
    ReadableFile& iso_;
    const std::vector<IsoExtent>& extents_;
    size_t next_ = 0;
    uint64_t left_ = 0;  // of the member being read
};

// Feeds the comparer until the source ends, a difference settles the result,
// the source fails or falls silent, or the user stops it.
Feeding feedPieces(SharedState& state, PieceSource& source, ReadBackComparer& comparer,
                   uint64_t total, ControlId status, const char* pattern) {
    const auto piece = std::make_unique<char[]>(kPieceBytes);
    uint64_t done = 0;
    uint32_t silentMs = 0;
    for (;;) {
        const OutputRead read = source.next(piece.get(), kPieceBytes);
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

// `complete`: the source delivered all it had and nothing failed.
StreamCheck judge(const ReadBack& result, Feeding feeding, bool complete) {
    using Status = StreamCheck::Status;
    if (feeding == Feeding::kStopped) return {Status::kStopped, {}};
    complete = complete && feeding == Feeding::kEnded;
    if (result.status == ReadBack::Status::kDiffers ||
        result.status == ReadBack::Status::kUnreadable) {
        return {Status::kDiffers, result.file};
    }
    if (result.status == ReadBack::Status::kSame && complete) return {Status::kSame, {}};
    return {Status::kUnverified, {}};
}

StreamCheck readFromIso(SharedState& state, ReadableFile& iso, const StreamSource& source,
                        ControlId status, const char* progressPattern) {
    ExtentPieces pieces(iso, *source.extents);
    ReadBackComparer comparer(state.sys, source.folder, source.members);
    const Feeding feeding =
        feedPieces(state, pieces, comparer, totalBytes(source.members), status, progressPattern);
    return judge(comparer.finish(), feeding, true);
}

StreamCheck readFromStream(SharedState& state, const StreamSource& source, ControlId status,
                           const char* progressPattern) {
    const ProcessLaunch launch{source.command.program, source.command.commandLine,
                               state.sys.systemDirectory(), source.errorsPath,
                               source.command.console};
    StreamingChild child = state.sys.startStreaming(launch);
    if (child.process == 0) return {};
    state.extractionChild = child.process;

    StreamPieces pieces(*child.output);
    ReadBackComparer comparer(state.sys, source.folder, source.members);
    const Feeding feeding =
        feedPieces(state, pieces, comparer, totalBytes(source.members), status, progressPattern);
    child.output.reset();
    const auto exitCode = endChild(state, child.process, feeding != Feeding::kEnded);
    return judge(comparer.finish(), feeding, exitCode && sevenzip::succeeded(*exitCode));
}

}  // namespace

StreamCheck readBackStream(SharedState& state, const StreamSource& source, ControlId status,
                           const char* progressPattern) {
    if (source.extents) {
        const auto iso = state.sys.openForReading(source.isoPath);
        if (iso) return readFromIso(state, *iso, source, status, progressPattern);
    }
    return readFromStream(state, source, status, progressPattern);
}

}  // namespace kh::verify
