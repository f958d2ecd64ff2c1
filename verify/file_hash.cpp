#include "verify/file_hash.h"

#include <memory>

namespace kh::verify {

namespace {

int percentOf(uint64_t done, uint64_t total) {
    if (total == 0 || done >= total) return 100;
    return static_cast<int>(done * 100 / total);
}

}  // namespace

FileHash hashFile(SystemServices& system, const std::string& path, HashAlgorithm algorithm,
                  const HashProgress& progress) {
    const auto size = system.fileSize(path);
    auto file = system.openForReading(path);
    if (!size || !file) return {};
    const auto buffer = std::make_unique<char[]>(kHashReadBytes);
    Hasher hasher(algorithm);
    uint64_t done = 0;
    if (!progress(0)) return {FileHash::Status::kCancelled, {}};
    for (;;) {
        const auto got = file->read(buffer.get(), kHashReadBytes);
        if (!got) return {};
        if (*got == 0) break;
        hasher.update(buffer.get(), *got);
        done += *got;
        if (!progress(percentOf(done, *size))) return {FileHash::Status::kCancelled, {}};
    }
    return {FileHash::Status::kDone, hasher.finishHex()};
}

}  // namespace kh::verify
