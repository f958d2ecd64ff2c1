#include "verify/readback.h"

#include <algorithm>
#include <cstring>

#include "platform/gbk_path.h"

namespace kh::verify {

namespace {

std::string withSeparator(std::string folder) {
    if (!folder.empty() && lastBackslash(folder) != folder.size() - 1) folder += '\\';
    return folder;
}

}  // namespace

bool FileReadBack::open(SystemServices& system, const std::string& path) {
    file_ = system.openPastCache(path);
    piece_ = {};
    return file_ != nullptr;
}

ReadBack::Status FileReadBack::refill() {
    const auto piece = file_->next();
    if (!piece) return ReadBack::Status::kUnreadable;
    piece_ = *piece;
    return ReadBack::Status::kSame;
}

ReadBack::Status FileReadBack::compare(std::string_view expected) {
    while (!expected.empty()) {
        if (piece_.empty()) {
            if (refill() != ReadBack::Status::kSame) return ReadBack::Status::kUnreadable;
            if (piece_.empty()) return ReadBack::Status::kDiffers;  // the file is shorter
        }
        const size_t n = std::min(piece_.size(), expected.size());
        if (std::memcmp(piece_.data(), expected.data(), n) != 0) return ReadBack::Status::kDiffers;
        piece_.remove_prefix(n);
        expected.remove_prefix(n);
    }
    return ReadBack::Status::kSame;
}

ReadBack::Status FileReadBack::atEnd() {
    if (!piece_.empty()) return ReadBack::Status::kDiffers;
    if (refill() != ReadBack::Status::kSame) return ReadBack::Status::kUnreadable;
    return piece_.empty() ? ReadBack::Status::kSame : ReadBack::Status::kDiffers;
}

ReadBackComparer::ReadBackComparer(SystemServices& system, std::string folder,
                                   std::vector<StreamMember> members)
    : system_(system), folder_(withSeparator(std::move(folder))), members_(std::move(members)) {}

std::string ReadBackComparer::copyName(size_t copy) const {
    const StreamMember& member = members_[current_];
    return copy == 0 ? member.name : member.copies[copy - 1];
}

bool ReadBackComparer::settle(ReadBack::Status status, const std::string& file) {
    result_ = {status, file};
    settled_ = true;
    files_.clear();
    return false;
}

bool ReadBackComparer::settleOnCopy(ReadBack::Status status, size_t copy) {
    return settle(status, copyName(copy));
}

bool ReadBackComparer::openMember() {
    const StreamMember& member = members_[current_];
    remaining_ = member.size;
    open_ = true;
    files_.clear();
    if (!member.compared) return true;
    files_.resize(1 + member.copies.size());
    for (size_t i = 0; i < files_.size(); ++i) {
        if (!files_[i].open(system_, folder_ + copyName(i))) {
            return settleOnCopy(ReadBack::Status::kUnreadable, i);
        }
    }
    return true;
}

bool ReadBackComparer::compareWithFiles(std::string_view expected) {
    for (size_t i = 0; i < files_.size(); ++i) {
        const ReadBack::Status status = files_[i].compare(expected);
        if (status != ReadBack::Status::kSame) return settleOnCopy(status, i);
    }
    return true;
}

// The member's bytes have all come: its files must end here too.
bool ReadBackComparer::closeMember() {
    for (size_t i = 0; i < files_.size(); ++i) {
        const ReadBack::Status status = files_[i].atEnd();
        if (status != ReadBack::Status::kSame) return settleOnCopy(status, i);
    }
    files_.clear();
    open_ = false;
    ++current_;
    return true;
}

// Opens the member the stream is in; an empty one has no bytes in the stream
// to wait for and is checked at once.
bool ReadBackComparer::passEmptyMembers() {
    while (!open_ && current_ < members_.size()) {
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
        if (current_ == members_.size()) return settle(ReadBack::Status::kStreamLong, {});
        const auto take = static_cast<size_t>(std::min<uint64_t>(remaining_, bytes.size()));
        if (!compareWithFiles(bytes.substr(0, take))) return false;
        remaining_ -= take;
        bytes.remove_prefix(take);
        if (remaining_ == 0 && !closeMember()) return false;
    }
}

ReadBack ReadBackComparer::finish() {
    if (!settled_ && passEmptyMembers() && current_ < members_.size()) {
        settle(ReadBack::Status::kStreamShort, members_[current_].name);
    }
    return result_;
}

ReadBack readBackFile(SystemServices& system, const std::string& path, std::string_view expected,
                      const std::string& name) {
    FileReadBack file;
    ReadBack::Status status = ReadBack::Status::kUnreadable;
    if (file.open(system, path)) {
        status = file.compare(expected);
        if (status == ReadBack::Status::kSame) status = file.atEnd();
    }
    return {status, status == ReadBack::Status::kSame ? std::string() : name};
}

}  // namespace kh::verify
