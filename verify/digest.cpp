#include "verify/digest.h"

#include <algorithm>
#include <cstring>

namespace kh::verify {

namespace {

constexpr size_t kBlockSize = 64;

inline uint32_t rotl(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }
inline uint32_t rotr(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

// Written with shifts so that they hold on any host; compilers turn them into
// single loads (and a byte swap).
inline uint32_t loadLittle(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
inline uint32_t loadBig(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | uint32_t{p[3]};
}

// MD5 (RFC 1321). Each group of four steps leaves a, b, c, d in their places,
// so the loops below unroll without shuffling the variables.
constexpr uint32_t kMd5Sines[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};
constexpr uint8_t kMd5WordOrder[64] = {0, 1, 2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15,
                                       1, 6, 11, 0,  5,  10, 15, 4,  9,  14, 3,  8,  13, 2,  7,  12,
                                       5, 8, 11, 14, 1,  4,  7,  10, 13, 0,  3,  6,  9,  12, 15, 2,
                                       0, 7, 14, 5,  12, 3,  10, 1,  8,  15, 6,  13, 4,  11, 2,  9};

inline void md5Step(uint32_t& a, uint32_t b, uint32_t mix, uint32_t word, int shift) {
    a = rotl(a + mix + word, shift) + b;
}

void md5Blocks(uint32_t* state, const uint8_t* p, size_t count) {
    for (; count > 0; --count, p += kBlockSize) {
        uint32_t x[16];
        for (int i = 0; i < 16; ++i) x[i] = loadLittle(p + 4 * i);
        auto w = [&x](int i) { return x[kMd5WordOrder[i]] + kMd5Sines[i]; };
        uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
        for (int i = 0; i < 16; i += 4) {
            md5Step(a, b, d ^ (b & (c ^ d)), w(i), 7);
            md5Step(d, a, c ^ (a & (b ^ c)), w(i + 1), 12);
            md5Step(c, d, b ^ (d & (a ^ b)), w(i + 2), 17);
            md5Step(b, c, a ^ (c & (d ^ a)), w(i + 3), 22);
        }
        for (int i = 16; i < 32; i += 4) {
            md5Step(a, b, c ^ (d & (b ^ c)), w(i), 5);
            md5Step(d, a, b ^ (c & (a ^ b)), w(i + 1), 9);
            md5Step(c, d, a ^ (b & (d ^ a)), w(i + 2), 14);
            md5Step(b, c, d ^ (a & (c ^ d)), w(i + 3), 20);
        }
        for (int i = 32; i < 48; i += 4) {
            md5Step(a, b, b ^ c ^ d, w(i), 4);
            md5Step(d, a, a ^ b ^ c, w(i + 1), 11);
            md5Step(c, d, d ^ a ^ b, w(i + 2), 16);
            md5Step(b, c, c ^ d ^ a, w(i + 3), 23);
        }
        for (int i = 48; i < 64; i += 4) {
            md5Step(a, b, c ^ (b | ~d), w(i), 6);
            md5Step(d, a, b ^ (a | ~c), w(i + 1), 10);
            md5Step(c, d, a ^ (d | ~b), w(i + 2), 15);
            md5Step(b, c, d ^ (c | ~a), w(i + 3), 21);
        }
        state[0] += a;
        state[1] += b;
        state[2] += c;
        state[3] += d;
    }
}

// SHA-1 (FIPS 180-4), the message schedule kept in a ring of 16 words.
void sha1Blocks(uint32_t* state, const uint8_t* p, size_t count) {
    for (; count > 0; --count, p += kBlockSize) {
        uint32_t w[16];
        for (int i = 0; i < 16; ++i) w[i] = loadBig(p + 4 * i);
        uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4];
        auto round = [&](int i, uint32_t mix, uint32_t constant) {
            if (i >= 16) {
                w[i & 15] =
                    rotl(w[(i + 13) & 15] ^ w[(i + 8) & 15] ^ w[(i + 2) & 15] ^ w[i & 15], 1);
            }
            const uint32_t next = rotl(a, 5) + mix + e + constant + w[i & 15];
            e = d;
            d = c;
            c = rotl(b, 30);
            b = a;
            a = next;
        };
        for (int i = 0; i < 20; ++i) round(i, d ^ (b & (c ^ d)), 0x5a827999);
        for (int i = 20; i < 40; ++i) round(i, b ^ c ^ d, 0x6ed9eba1);
        for (int i = 40; i < 60; ++i) round(i, (b & c) | (d & (b | c)), 0x8f1bbcdc);
        for (int i = 60; i < 80; ++i) round(i, b ^ c ^ d, 0xca62c1d6);
        state[0] += a;
        state[1] += b;
        state[2] += c;
        state[3] += d;
        state[4] += e;
    }
}

// SHA-256 (FIPS 180-4). Eight rounds per pass name the working variables in
// rotated order, so none of them is copied between rounds.
constexpr uint32_t kSha256Roots[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

inline void sha256Round(uint32_t a, uint32_t b, uint32_t c, uint32_t& d, uint32_t e, uint32_t f,
                        uint32_t g, uint32_t& h, uint32_t scheduled) {
    const uint32_t t1 =
        h + (rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25)) + (g ^ (e & (f ^ g))) + scheduled;
    const uint32_t t2 = (rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22)) + ((a & b) | (c & (a | b)));
    d += t1;
    h = t1 + t2;
}

void sha256Blocks(uint32_t* state, const uint8_t* p, size_t count) {
    for (; count > 0; --count, p += kBlockSize) {
        uint32_t w[64];
        for (int i = 0; i < 16; ++i) w[i] = loadBig(p + 4 * i);
        for (int i = 16; i < 64; ++i) {
            const uint32_t s0 = rotr(w[i - 15], 7) ^ rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
            const uint32_t s1 = rotr(w[i - 2], 17) ^ rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
            w[i] = w[i - 16] + s0 + w[i - 7] + s1;
        }
        for (int i = 0; i < 64; ++i) w[i] += kSha256Roots[i];
        uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
        uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
        for (int i = 0; i < 64; i += 8) {
            sha256Round(a, b, c, d, e, f, g, h, w[i]);
            sha256Round(h, a, b, c, d, e, f, g, w[i + 1]);
            sha256Round(g, h, a, b, c, d, e, f, w[i + 2]);
            sha256Round(f, g, h, a, b, c, d, e, w[i + 3]);
            sha256Round(e, f, g, h, a, b, c, d, w[i + 4]);
            sha256Round(d, e, f, g, h, a, b, c, w[i + 5]);
            sha256Round(c, d, e, f, g, h, a, b, w[i + 6]);
            sha256Round(b, c, d, e, f, g, h, a, w[i + 7]);
        }
        state[0] += a;
        state[1] += b;
        state[2] += c;
        state[3] += d;
        state[4] += e;
        state[5] += f;
        state[6] += g;
        state[7] += h;
    }
}

constexpr uint32_t kMd5Start[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
constexpr uint32_t kSha1Start[5] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476, 0xc3d2e1f0};
constexpr uint32_t kSha256Start[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                      0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

}  // namespace

const char* algorithmName(HashAlgorithm algorithm) {
    switch (algorithm) {
        case HashAlgorithm::kMd5:
            return "MD5";
        case HashAlgorithm::kSha1:
            return "SHA1";
        case HashAlgorithm::kSha256:
            return "SHA256";
    }
    return "";
}

size_t hexDigestLength(HashAlgorithm algorithm) {
    switch (algorithm) {
        case HashAlgorithm::kMd5:
            return 32;
        case HashAlgorithm::kSha1:
            return 40;
        case HashAlgorithm::kSha256:
            return 64;
    }
    return 0;
}

Hasher::Hasher(HashAlgorithm algorithm) : algorithm_(algorithm) {
    switch (algorithm) {
        case HashAlgorithm::kMd5:
            std::memcpy(state_, kMd5Start, sizeof kMd5Start);
            break;
        case HashAlgorithm::kSha1:
            std::memcpy(state_, kSha1Start, sizeof kSha1Start);
            break;
        case HashAlgorithm::kSha256:
            std::memcpy(state_, kSha256Start, sizeof kSha256Start);
            break;
    }
}

void Hasher::compress(const uint8_t* blocks, size_t count) {
    switch (algorithm_) {
        case HashAlgorithm::kMd5:
            md5Blocks(state_, blocks, count);
            break;
        case HashAlgorithm::kSha1:
            sha1Blocks(state_, blocks, count);
            break;
        case HashAlgorithm::kSha256:
            sha256Blocks(state_, blocks, count);
            break;
    }
}

// Whole blocks of the input are compressed where they lie; only a block's
// start at the end of one call and its rest at the start of the next pass
// through pending_.
void Hasher::update(const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    totalBytes_ += size;
    if (pendingSize_ > 0) {
        const size_t take = std::min(size, kBlockSize - pendingSize_);
        std::memcpy(pending_ + pendingSize_, p, take);
        pendingSize_ += take;
        p += take;
        size -= take;
        if (pendingSize_ < kBlockSize) return;
        compress(pending_, 1);
        pendingSize_ = 0;
    }
    const size_t whole = size / kBlockSize;
    if (whole > 0) compress(p, whole);
    pendingSize_ = size % kBlockSize;
    if (pendingSize_ > 0) std::memcpy(pending_, p + whole * kBlockSize, pendingSize_);
}

std::string Hasher::finishHex() {
    // Padding: 0x80, zeros up to 8 bytes before a block's end, the length in
    // bits; little-endian for MD5, big-endian for the SHA family.
    const bool littleEndian = algorithm_ == HashAlgorithm::kMd5;
    const uint64_t bits = totalBytes_ * 8;
    uint8_t tail[2 * kBlockSize] = {0x80};
    const size_t tailSize = pendingSize_ < kBlockSize - 8 ? kBlockSize : 2 * kBlockSize;
    const size_t padding = tailSize - 8 - pendingSize_;
    for (int i = 0; i < 8; ++i) {
        const int shift = littleEndian ? 8 * i : 8 * (7 - i);
        tail[padding + i] = static_cast<uint8_t>(bits >> shift);
    }
    update(tail, padding + 8);

    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    for (size_t i = 0; i < hexDigestLength(algorithm_) / 2; ++i) {
        const uint32_t word = state_[i / 4];
        const int shift = littleEndian ? 8 * (i % 4) : 8 * (3 - i % 4);
        const auto byte = static_cast<uint8_t>(word >> shift);
        hex += kHex[byte >> 4];
        hex += kHex[byte & 15];
    }
    return hex;
}

std::string hexDigest(HashAlgorithm algorithm, std::string_view bytes) {
    Hasher hasher(algorithm);
    hasher.update(bytes);
    return hasher.finishHex();
}

}  // namespace kh::verify
