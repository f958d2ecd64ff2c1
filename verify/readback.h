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
    // Further places its bytes were copied to, compared as well.
    std::vector<std::string> copies = {};
    // False: its bytes pass unread (what the program put there in its place
    // is checked on its own).
    bool compared = true;
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
    std::string file;  // the file concerned, relative to the folder
};

// One file read back from the drive, past the system cache, piece by piece
// against the bytes it should hold.
class FileReadBack {
  public:
    // False when the file could not be opened.
    bool open(SystemServices& system, const std::string& path);
    // ReadBack::Status::kSame while `expected` matches the file's next bytes.
    ReadBack::Status compare(std::string_view expected);
    // The file must end where the expected bytes ended.
    ReadBack::Status atEnd();

  private:
    ReadBack::Status refill();

    std::unique_ptr<PieceReader> file_;
    std::string_view piece_;  // what is left of the file's last piece
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
    bool settle(ReadBack::Status status, const std::string& file);
    bool settleOnCopy(ReadBack::Status status, size_t copy);
    bool openMember();
    bool compareWithFiles(std::string_view expected);
    bool closeMember();
    bool passEmptyMembers();
    std::string copyName(size_t copy) const;

    SystemServices& system_;
    std::string folder_;
    std::vector<StreamMember> members_;
    size_t current_ = 0;               // the member the stream is in
    uint64_t remaining_ = 0;           // its bytes still to come
    bool open_ = false;                // the current member's files are open
    std::vector<FileReadBack> files_;  // the current member's file and copies
    bool settled_ = false;
    ReadBack result_;
};

// Reads the whole file at `path` back and compares it with `expected`.
ReadBack readBackFile(SystemServices& system, const std::string& path, std::string_view expected,
                      const std::string& name);

}  // namespace kh::verify
