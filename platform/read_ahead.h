// Reading past the system cache with the drive kept busy. The caller
// alternates two buffers; once it asks for a piece, the buffer of its
// previous read is free, and the piece after the one handed over is read
// ahead into it while the caller compares. A read shorter than asked is the
// end of the file (a read past the cache is filled but at the end), so a file
// that fits in one piece costs one trip to the drive. Each system supplies
// the one asynchronous read in flight.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/system.h"

namespace kh {

class ReadAhead : public ReadableFile {
  public:
    std::optional<size_t> read(char* buffer, size_t capacity) final {
        std::optional<size_t> got;
        if (pending_ && aheadInto_ == buffer && aheadBytes_ == capacity) {
            got = complete();
        } else {
            settle();
            got = ended_ ? 0 : readNow(buffer, capacity);
        }
        if (!got) return std::nullopt;
        if (*got < capacity) {
            ended_ = true;
        } else if (previous_ && previous_ != buffer && !issue(previous_, capacity)) {
            return std::nullopt;
        }
        previous_ = buffer;
        return got;
    }

    bool seek(uint64_t offset) final {
        if (offset % kMaxSectorBytes != 0) return false;
        settle();
        next_ = offset;
        ended_ = false;
        previous_ = nullptr;
        return true;
    }

  protected:
    enum class Start { kStarted, kAtEnd, kFailed };
    // Starts reading `capacity` bytes at `offset` into `buffer`.
    virtual Start start(char* buffer, size_t capacity, uint64_t offset) = 0;
    // Waits for the read started: its size, 0 at the end of the file.
    virtual std::optional<size_t> finish() = 0;
    // Asks the read in flight to stop early; finish() still waits for it.
    virtual void cancel() {}

    // A piece read ahead that is not asked for is dropped, to be read again.
    // The subclass's destructor calls it: the caller's buffers may be freed
    // once the reader is gone.
    void settle() {
        if (!pending_) return;
        cancel();
        complete();
        next_ -= aheadBytes_;
    }

  private:
    std::optional<size_t> readNow(char* buffer, size_t capacity) {
        if (!issue(buffer, capacity)) return std::nullopt;
        return pending_ ? complete() : 0;
    }

    bool issue(char* buffer, size_t capacity) {
        switch (start(buffer, capacity, next_)) {
            case Start::kFailed:
                return false;
            case Start::kAtEnd:
                ended_ = true;
                return true;
            case Start::kStarted:
                break;
        }
        pending_ = true;
        aheadInto_ = buffer;
        aheadBytes_ = capacity;
        next_ += capacity;
        return true;
    }

    std::optional<size_t> complete() {
        pending_ = false;
        return finish();
    }

    char* aheadInto_ = nullptr;  // the buffer the pending read fills
    size_t aheadBytes_ = 0;
    char* previous_ = nullptr;  // the buffer of the last piece handed over
    uint64_t next_ = 0;         // where the next piece asked for starts
    bool pending_ = false;      // a read is in flight
    bool ended_ = false;        // the end of the file was read
};

}  // namespace kh
