#include "verify/readback.h"

#include <algorithm>
#include <cstring>

#include "platform/gbk_path.h"

namespace kh::verify {

namespace {

// Large enough that the drive streams; a multiple of every sector size, so
// that reads past the system cache can use it as it is.
constexpr size_t kReadBytes = 1024 * 1024;

std::string withSeparator(std::string folder) {
    if (!folder.empty() && lastBackslash(folder) != folder.size() - 1) folder += '\\';
    return folder;
}

}  // namespace

ReadBackComparer::ReadBackComparer(SystemServices& system, std::string folder,
                                   std::vector<StreamMember> members)
    : system_(system),
      folder_(withSeparator(std::move(folder))),
      members_(std::move(members)),
      buffer_(std::make_unique<char[]>(kReadBytes)) {}

bool ReadBackComparer::settle(ReadBack::Status status) {
    result_ = {status, current_ < members_.size() ? members_[current_].name : std::string()};
    settled_ = true;
    file_.reset();
    return false;
}

bool ReadBackComparer::openMember() {
    remaining_ = members_[current_].size;
    bufferStart_ = bufferEnd_ = 0;
    file_ = system_.openForReading(folder_ + members_[current_].name);
    return file_ ? true : settle(ReadBack::Status::kUnreadable);
}

bool ReadBackComparer::compareWithFile(std::string_view expected) {
    while (!expected.empty()) {
        if (bufferStart_ == bufferEnd_) {
            const auto got = file_->read(buffer_.get(), kReadBytes);
            if (!got) return settle(ReadBack::Status::kUnreadable);
            if (*got == 0) return settle(ReadBack::Status::kDiffers);  // the file is shorter
            bufferStart_ = 0;
            bufferEnd_ = *got;
        }
        const size_t n = std::min(bufferEnd_ - bufferStart_, expected.size());
        if (std::memcmp(buffer_.get() + bufferStart_, expected.data(), n) != 0) {
            return settle(ReadBack::Status::kDiffers);
        }
        bufferStart_ += n;
        expected.remove_prefix(n);
    }
    return true;
}

// The member's bytes have all come: the file must end here too.
bool ReadBackComparer::closeMember() {
    if (bufferStart_ < bufferEnd_) return settle(ReadBack::Status::kDiffers);
    const auto got = file_->read(buffer_.get(), kReadBytes);
    if (!got) return settle(ReadBack::Status::kUnreadable);
    if (*got > 0) return settle(ReadBack::Status::kDiffers);
    file_.reset();
    ++current_;
    return true;
}

// Opens the member the stream is in; an empty one has no bytes in the stream
// to wait for and is checked at once.
bool ReadBackComparer::passEmptyMembers() {
    while (!file_ && current_ < members_.size()) {
        if (!openMember()) return false;
        if (remaining_ == 0 && !closeMember()) return false;
    }
    return true;
}

bool ReadBackComparer::feed(std::string_view bytes) {
    if (settled_) return false;
    for (;;) {
        if (!passEmptyMembers()) return false;
        if (bytes.empty()) return true;
        if (current_ == members_.size()) return settle(ReadBack::Status::kStreamLong);
        const auto take = static_cast<size_t>(std::min<uint64_t>(remaining_, bytes.size()));
        if (!compareWithFile(bytes.substr(0, take))) return false;
        remaining_ -= take;
        bytes.remove_prefix(take);
        if (remaining_ == 0 && !closeMember()) return false;
    }
}

ReadBack ReadBackComparer::finish() {
    if (!settled_ && passEmptyMembers() && current_ < members_.size()) {
        settle(ReadBack::Status::kStreamShort);
    }
    return result_;
}

}  // namespace kh::verify
