// Reading past the system cache with the drive kept busy. The reader owns a
// ring of sector-aligned buffers, and every buffer but the one handed to the
// caller holds a read in flight. When the caller asks for the next piece, the
// buffer of the previous one goes back to the drive at once, so the drive
// always has a request queued behind the one it is reading and never waits
// for the caller or for a thread to wake. A read shorter than asked is the end
// of the file (a read past the cache is filled but at the end). Each system
// supplies the asynchronous reads: start one into a slot, wait for a slot's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/system.h"

namespace kh {

class ReadAhead : public PieceReader {
  public:
    // Large enough that the drive streams; a multiple of every sector size.
    static constexpr size_t kPieceBytes = 1024 * 1024;
    // One handed over, two queued at the drive.
    static constexpr size_t kSlots = 3;
    // The largest sector of the drives read past the cache; a multiple of
    // every smaller one.
    static constexpr size_t kMaxSectorBytes = 4096;

    ReadAhead() : storage_(new char[kSlots * kPieceBytes + kMaxSectorBytes]) {
        const auto address = reinterpret_cast<uintptr_t>(storage_.get());
        ring_ = storage_.get() + (kMaxSectorBytes - address % kMaxSectorBytes) % kMaxSectorBytes;
    }

    std::optional<std::string_view> next() final {
        if (failed_) return std::nullopt;
        // The piece handed over last is done with: its slot is free.
        while (!ended_ && pending_ < kSlots) {
            if (!issue()) return fail();
        }
        if (pending_ == 0) return std::string_view();
        const size_t slot = oldest_;
        const std::optional<size_t> got = complete();
        if (!got) return fail();
        if (*got < kPieceBytes) ended_ = true;
        return std::string_view(bufferOf(slot), *got);
    }

  protected:
    enum class Start { kStarted, kAtEnd, kFailed };
    // Starts reading `capacity` bytes at `offset` into `buffer`, the buffer
    // of `slot`.
    virtual Start start(size_t slot, char* buffer, size_t capacity, uint64_t offset) = 0;
    // Waits for the read started in `slot`: its size, 0 at the end of the file.
    virtual std::optional<size_t> finish(size_t slot) = 0;
    // Asks the reads in flight to stop early; finish() still waits for them.
    virtual void cancel() {}

    // Waits for every read in flight. The subclass's destructor calls it:
    // the drive must be done with the buffers before they are freed.
    void settle() {
        if (pending_ == 0) return;
        cancel();
        while (pending_ > 0) complete();
    }

  private:
    char* bufferOf(size_t slot) const { return ring_ + slot * kPieceBytes; }

    // Starts the next piece into the slot after the newest read in flight.
    bool issue() {
        const size_t slot = (oldest_ + pending_) % kSlots;
        switch (start(slot, bufferOf(slot), kPieceBytes, next_)) {
            case Start::kFailed:
                return false;
            case Start::kAtEnd:
                ended_ = true;
                return true;
            case Start::kStarted:
                break;
        }
        ++pending_;
        next_ += kPieceBytes;
        return true;
    }

    std::optional<size_t> complete() {
        const size_t slot = oldest_;
        oldest_ = (oldest_ + 1) % kSlots;
        --pending_;
        return finish(slot);
    }

    std::nullopt_t fail() {
        failed_ = true;
        return std::nullopt;
    }

    std::unique_ptr<char[]> storage_;
    char* ring_;          // the slots' buffers, aligned for the drive
    uint64_t next_ = 0;   // where the next read starts
    size_t oldest_ = 0;   // the slot of the oldest read in flight
    size_t pending_ = 0;  // reads in flight, in the slots from `oldest_` on
    bool ended_ = false;  // no read is started past the end of the file
    bool failed_ = false;
};

}  // namespace kh
