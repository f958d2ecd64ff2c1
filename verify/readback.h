// Reading written files back: the bytes they should hold arrive as one
// stream, the members of an archive concatenated in its listing's order with
// nothing between them (7-Zip's "x -so"), and are compared piece by piece
// with the files on the drive.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system.h"

namespace kh::verify {

// One file of the stream, as the archive lists it.
struct StreamMember {
    std::string name;  // relative to the folder the files were written to
    uint64_t size = 0;
};

struct ReadBack {
    enum class Status {
        kSame,
        kDiffers,      // `file` holds other bytes, fewer or more
        kUnreadable,   // `file` could not be opened or read
        kStreamShort,  // the stream ended inside or before `file`
        kStreamLong,   // the stream holds more than the listed sizes add up to
    };
    Status status = Status::kSame;
    std::string file;  // the member concerned, as listed
};

// Compares the stream, fed in pieces of any size, with the files under
// `folder`. The first difference settles the result; feed() says when it has.
class ReadBackComparer {
  public:
    ReadBackComparer(SystemServices& system, std::string folder, std::vector<StreamMember> members);
    // The next piece of the stream; false once the result is settled (a
    // difference found), so that the caller can stop the stream.
    bool feed(std::string_view bytes);
    // The stream has ended: the result.
    ReadBack finish();

  private:
    bool settle(ReadBack::Status status);
    bool openMember();
    bool compareWithFile(std::string_view expected);
    bool closeMember();
    bool passEmptyMembers();

    SystemServices& system_;
    std::string folder_;
    std::vector<StreamMember> members_;
    size_t current_ = 0;      // the member the stream is in
    uint64_t remaining_ = 0;  // its bytes still to come
    std::unique_ptr<ReadableFile> file_;
    std::unique_ptr<char[]> buffer_;  // bytes read from the file, not compared yet
    size_t bufferStart_ = 0;
    size_t bufferEnd_ = 0;
    bool settled_ = false;
    ReadBack result_;
};

}  // namespace kh::verify
