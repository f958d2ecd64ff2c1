// Usage: kh_readbench ISO FOLDER
// Reads the files of FOLDER (the ISO extracted there) back with the program's
// read-back code against the ISO's bytes of the same files, and prints
// "same  <MB/s>" or what differs. The ISO's bytes are read where its
// directory says they lie, as the program reads them; only when that mapping
// gives nothing does xorriso stream them one after the other, as 7-Zip
// streams them for the program. Reads of FOLDER go past the page cache where
// the file system allows it (O_DIRECT), in the program's aligned pieces, with
// the pieces after the one compared in flight, as the program's Windows reader
// does, so that it can be set against a plain read of the same files.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/shared_state.h"
#include "platform/read_ahead.h"
#include "platform/sim/sim_system.h"
#include "platform/sim/sim_ui.h"
#include "verify/iso_extents.h"
#include "verify/readback.h"
#include "verify/stream_check.h"

namespace fs = std::filesystem;
using kh::verify::ReadBack;
using kh::verify::StreamMember;

namespace {

class PosixReader : public kh::ReadableFile {
  public:
    explicit PosixReader(int fd) : fd_(fd) {}
    ~PosixReader() override { close(fd_); }
    std::optional<size_t> read(char* buffer, size_t capacity) override {
        const ssize_t got = ::read(fd_, buffer, capacity);
        if (got < 0) return std::nullopt;
        return static_cast<size_t>(got);
    }
    bool seek(uint64_t offset) override {
        return lseek(fd_, static_cast<off_t>(offset), SEEK_SET) >= 0;
    }

  private:
    int fd_;
};

// The Windows reader past the cache (ReadAhead), its overlapped reads queued
// to a thread that stands for the drive: it reads them one after the other, as
// the drive does, while the caller compares. (Linux's own asynchronous reads
// answer late on a virtual disk: one read in flight with nothing else to do
// took a third longer than plain reads of the same file.)
class AheadReader : public kh::ReadAhead {
  public:
    explicit AheadReader(int fd) : fd_(fd), drive_([this] { serve(); }) {}
    ~AheadReader() override {
        settle();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            closing_ = true;
        }
        changed_.notify_all();
        drive_.join();
        close(fd_);
    }

  private:
    struct Request {
        char* buffer = nullptr;
        size_t capacity = 0;
        uint64_t offset = 0;
        bool done = true;
        ssize_t got = 0;
    };

    Start start(size_t slot, char* buffer, size_t capacity, uint64_t offset) override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            requests_[slot] = {buffer, capacity, offset, false, 0};
            queue_.push_back(slot);
        }
        changed_.notify_all();
        return Start::kStarted;
    }
    std::optional<size_t> finish(size_t slot) override {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return requests_[slot].done; });
        if (requests_[slot].got < 0) return std::nullopt;
        return static_cast<size_t>(requests_[slot].got);
    }

    void serve() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            changed_.wait(lock, [&] { return closing_ || !queue_.empty(); });
            if (queue_.empty()) return;
            Request& request = requests_[queue_.front()];
            queue_.pop_front();
            lock.unlock();
            const ssize_t got =
                pread(fd_, request.buffer, request.capacity, static_cast<off_t>(request.offset));
            lock.lock();
            request.got = got;
            request.done = true;
            changed_.notify_all();
        }
    }

    int fd_;
    std::mutex mutex_;
    std::condition_variable changed_;
    Request requests_[kSlots];
    std::deque<size_t> queue_;  // the slots in the order their reads were started
    bool closing_ = false;
    std::thread drive_;  // last: it starts once the rest is ready
};

// The simulated Windows with the files of one real folder behind "R:\" and
// the ISO as kIsoPath.
constexpr const char* kIsoPath = "I:\\image.iso";
class FolderSystem : public kh::sim::SimSystem {
  public:
    FolderSystem(fs::path folder, fs::path iso)
        : folder_(std::move(folder)), iso_(std::move(iso)) {}
    std::unique_ptr<kh::ReadableFile> openForReading(const std::string& path) override {
        const int fd = open(hostPath(path).c_str(), O_RDONLY);
        if (fd < 0) return nullptr;
        return std::make_unique<PosixReader>(fd);
    }
    std::unique_ptr<kh::PieceReader> openPastCache(const std::string& path) override {
        int fd = open(hostPath(path).c_str(), O_RDONLY | O_DIRECT);
        if (fd < 0) fd = open(hostPath(path).c_str(), O_RDONLY);  // a file system without it
        if (fd < 0) return nullptr;
        return std::make_unique<AheadReader>(fd);
    }

  private:
    std::string hostPath(const std::string& path) const {
        std::string relative = path.substr(3);
        std::replace(relative.begin(), relative.end(), '\\', '/');
        return path == kIsoPath ? iso_.string() : (folder_ / relative).string();
    }

    fs::path folder_;
    fs::path iso_;
};

std::vector<StreamMember> filesOf(const fs::path& folder, std::string* isoPaths) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        // xorriso keeps the El Torito catalogue as a node of its own, not a file.
        const std::string name = entry.path().filename();
        if (entry.is_regular_file() && name != "boot.catalog" && name != "boot.cat") {
            names.push_back(entry.path().lexically_relative(folder));
        }
    }
    std::sort(names.begin(), names.end());
    std::vector<StreamMember> members;
    for (const std::string& name : names) {
        *isoPaths += " '/" + name + "'";
        std::string windowsName = name;
        std::replace(windowsName.begin(), windowsName.end(), '/', '\\');
        members.push_back({windowsName, fs::file_size(folder / name)});
    }
    return members;
}

// Nothing when the files read back the same; otherwise what differs.
using Outcome = std::optional<std::string>;

// The program's own loop, from the ISO's bytes where they lie.
Outcome comparedFromIso(FolderSystem& system, const std::vector<StreamMember>& members,
                        const std::vector<kh::verify::IsoExtent>& extents) {
    kh::sim::SimUi ui(system);
    kh::SharedState state(system, ui);
    kh::verify::StreamSource source;
    source.folder = "R:";
    source.members = members;
    source.isoPath = kIsoPath;
    source.extents = extents;
    using Status = kh::verify::StreamCheck::Status;
    const auto check = kh::verify::readBackStream(state, source, kh::ControlId::kStatusCopy, "%d");
    if (check.status == Status::kSame) return std::nullopt;
    return check.status == Status::kDiffers ? check.file : "unverified";
}

// xorriso streams the members' bytes one after the other, as 7-Zip does.
Outcome comparedFromXorriso(FolderSystem& system, const std::string& iso,
                            const std::vector<StreamMember>& members, const std::string& isoPaths) {
    const fs::path fifo = fs::temp_directory_path() / ("kh-readbench-" + std::to_string(getpid()));
    if (mkfifo(fifo.c_str(), 0600) != 0) return "no FIFO";
    // The shell opens the FIFO before xorriso starts, so the stream ends
    // however xorriso ends.
    const std::string command = "xorriso -osirrox on -indev '" + iso +
                                "' -concat append /dev/fd/3" + isoPaths + " -- 3>'" +
                                fifo.string() + "' >/dev/null 2>&1 &";
    if (std::system(command.c_str()) != 0) return "xorriso not started";
    std::FILE* stream = std::fopen(fifo.c_str(), "rb");
    fs::remove(fifo);
    if (!stream) return "no stream";
    fcntl(fileno(stream), F_SETPIPE_SZ, 1024 * 1024);  // as large as the program's pipe

    kh::verify::ReadBackComparer comparer(system, "R:", members);
    const auto piece = std::make_unique<char[]>(1024 * 1024);
    for (size_t got; (got = std::fread(piece.get(), 1, 1024 * 1024, stream)) > 0;) {
        if (!comparer.feed(std::string_view(piece.get(), got))) break;
    }
    std::fclose(stream);
    const ReadBack result = comparer.finish();
    if (result.status == ReadBack::Status::kSame) return std::nullopt;
    return result.file;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s ISO FOLDER\n", argv[0]);
        return 2;
    }
    std::string isoPaths;
    const auto members = filesOf(argv[2], &isoPaths);
    double bytes = 0;
    for (const StreamMember& member : members) bytes += static_cast<double>(member.size);
    FolderSystem system(argv[2], argv[1]);
    const auto start = std::chrono::steady_clock::now();
    const auto extents = kh::verify::isoExtents(system, kIsoPath, members);
    const Outcome outcome = extents ? comparedFromIso(system, members, *extents)
                                    : comparedFromXorriso(system, argv[1], members, isoPaths);
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    if (outcome) {
        std::printf("differs: %s\n", outcome->c_str());
        return 1;
    }
    std::printf("same  %.1f MB/s (%s)\n", bytes / 1e6 / seconds.count(),
                extents ? "from the ISO's extents" : "streamed by xorriso");
    return 0;
}
