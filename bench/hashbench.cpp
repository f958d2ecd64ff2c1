// Usage: kh_hashbench FILE [md5|sha1|sha256]
// Hashes FILE with the program's own digest code in the reads the ISO check
// uses and prints "<hex digest>  <MB/s>", for comparing with sha256sum on the
// same file (in the page cache, so that the hash and not the disk is timed).
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>

#include "verify/digest.h"
#include "verify/file_hash.h"

int main(int argc, char** argv) {
    using kh::verify::HashAlgorithm;
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s FILE [md5|sha1|sha256]\n", argv[0]);
        return 2;
    }
    HashAlgorithm algorithm = HashAlgorithm::kSha256;
    if (argc == 3 && std::strcmp(argv[2], "md5") == 0) algorithm = HashAlgorithm::kMd5;
    if (argc == 3 && std::strcmp(argv[2], "sha1") == 0) algorithm = HashAlgorithm::kSha1;

    std::FILE* file = std::fopen(argv[1], "rb");
    if (!file) {
        std::perror(argv[1]);
        return 1;
    }
    const auto buffer = std::make_unique<char[]>(kh::verify::kHashReadBytes);
    kh::verify::Hasher hasher(algorithm);
    const auto start = std::chrono::steady_clock::now();
    double bytes = 0;
    for (;;) {
        const size_t got = std::fread(buffer.get(), 1, kh::verify::kHashReadBytes, file);
        if (got == 0) break;
        hasher.update(buffer.get(), got);
        bytes += static_cast<double>(got);
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        std::fprintf(stderr, "%s: read error\n", argv[1]);
        return 1;
    }
    const std::string digest = hasher.finishHex();
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    std::printf("%s  %.1f MB/s\n", digest.c_str(), bytes / 1e6 / seconds.count());
    return 0;
}
