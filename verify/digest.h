// The three digests that published checksum files use, computed by the
// program itself: the ISO is hashed at the speed of the disk, so the block
// functions work on whole 64-byte blocks in place and nothing is called per
// byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kh::verify {

// In order of strength: when a checksum file offers several, the last wins.
enum class HashAlgorithm { kMd5, kSha1, kSha256 };

// "MD5", "SHA1", "SHA256": the tags of the BSD checksum form.
const char* algorithmName(HashAlgorithm algorithm);
// Length of the digest in hexadecimal digits (32, 40, 64).
size_t hexDigestLength(HashAlgorithm algorithm);

// A digest being computed: update() any number of times, then finishHex()
// once.
class Hasher {
  public:
    explicit Hasher(HashAlgorithm algorithm);
    void update(const void* data, size_t size);
    void update(std::string_view bytes) { update(bytes.data(), bytes.size()); }
    // The digest in lower-case hexadecimal. The hasher is spent afterwards.
    std::string finishHex();

  private:
    void compress(const uint8_t* blocks, size_t count);

    HashAlgorithm algorithm_;
    uint32_t state_[8] = {};
    uint8_t pending_[64] = {};  // the start of a block not yet complete
    size_t pendingSize_ = 0;
    uint64_t totalBytes_ = 0;
};

// The digest of `bytes` in one call.
std::string hexDigest(HashAlgorithm algorithm, std::string_view bytes);

}  // namespace kh::verify
