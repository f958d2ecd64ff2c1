// Usage: kh_readbench ISO FOLDER
// Reads the files of FOLDER (the ISO extracted there) back with the program's
// read-back code against the ISO's bytes of the same files, streamed by
// xorriso one after the other as 7-Zip streams them for the program, and
// prints "same  <MB/s>" or what differs. Reads of FOLDER go past the page
// cache where the file system allows it (O_DIRECT), in the program's aligned
// pieces, so that it can be set against a plain read of the same files.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/sim_system.h"
#include "verify/readback.h"

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

  private:
    int fd_;
};

// The simulated Windows with the files of one real folder behind "R:\".
class FolderSystem : public kh::sim::SimSystem {
  public:
    explicit FolderSystem(fs::path folder) : folder_(std::move(folder)) {}
    std::unique_ptr<kh::ReadableFile> openForReading(const std::string& path,
                                                     kh::ReadCache cache) override {
        std::string relative = path.substr(3);
        std::replace(relative.begin(), relative.end(), '\\', '/');
        const std::string host = (folder_ / relative).string();
        int fd = cache == kh::ReadCache::kBypass ? open(host.c_str(), O_RDONLY | O_DIRECT) : -1;
        if (fd < 0) fd = open(host.c_str(), O_RDONLY);  // a file system without O_DIRECT
        if (fd < 0) return nullptr;
        return std::make_unique<PosixReader>(fd);
    }

  private:
    fs::path folder_;
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

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s ISO FOLDER\n", argv[0]);
        return 2;
    }
    std::string isoPaths;
    const auto members = filesOf(argv[2], &isoPaths);
    const fs::path fifo = fs::temp_directory_path() / ("kh-readbench-" + std::to_string(getpid()));
    if (mkfifo(fifo.c_str(), 0600) != 0) return 1;
    // The shell opens the FIFO before xorriso starts, so the stream ends
    // however xorriso ends.
    const std::string command = "xorriso -osirrox on -indev '" + std::string(argv[1]) +
                                "' -concat append /dev/fd/3" + isoPaths + " -- 3>'" +
                                fifo.string() + "' >/dev/null 2>&1 &";
    const auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) return 1;
    std::FILE* stream = std::fopen(fifo.c_str(), "rb");
    fs::remove(fifo);
    if (!stream) return 1;
    fcntl(fileno(stream), F_SETPIPE_SZ, 1024 * 1024);  // as large as the program's pipe

    FolderSystem system(argv[2]);
    kh::verify::ReadBackComparer comparer(system, "R:", members);
    const auto piece = std::make_unique<char[]>(1024 * 1024);
    double bytes = 0;
    for (size_t got; (got = std::fread(piece.get(), 1, 1024 * 1024, stream)) > 0;) {
        bytes += static_cast<double>(got);
        if (!comparer.feed(std::string_view(piece.get(), got))) break;
    }
    std::fclose(stream);
    const ReadBack result = comparer.finish();
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    if (result.status != ReadBack::Status::kSame) {
        std::printf("differs: %s\n", result.file.c_str());
        return 1;
    }
    std::printf("same  %.1f MB/s\n", bytes / 1e6 / seconds.count());
    return 0;
}
