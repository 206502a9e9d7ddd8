#include "tools/common/md5.h"

#include <cstring>

namespace tl::tools {
namespace {

// Per-round left rotations and the sine-derived additive constants of RFC 1321.
constexpr std::uint32_t kShift[64] = {
    7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
    5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
    4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
    6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21,
};

constexpr std::uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};

constexpr std::uint32_t kInitialState[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};

std::uint32_t rotate_left(std::uint32_t x, std::uint32_t n) {
    return (x << n) | (x >> (32 - n));
}

std::uint32_t load_le32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

}  // namespace

Md5::Md5() {
    std::memcpy(state_, kInitialState, sizeof state_);
}

void Md5::transform(const std::uint8_t* block) {
    std::uint32_t m[16];
    for (int i = 0; i < 16; ++i) {
        m[i] = load_le32(block + 4 * i);
    }
    std::uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
    for (int i = 0; i < 64; ++i) {
        std::uint32_t f;
        int word;
        switch (i / 16) {
        case 0: f = (b & c) | (~b & d); word = i; break;
        case 1: f = (d & b) | (~d & c); word = (5 * i + 1) % 16; break;
        case 2: f = b ^ c ^ d; word = (3 * i + 5) % 16; break;
        default: f = c ^ (b | ~d); word = (7 * i) % 16; break;
        }
        const std::uint32_t rotated = rotate_left(a + f + kSine[i] + m[word], kShift[i]);
        a = d;
        d = c;
        c = b;
        b = b + rotated;
    }
    state_[0] += a;
    state_[1] += b;
    state_[2] += c;
    state_[3] += d;
}

void Md5::update(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    totalBytes_ += size;
    if (pendingBytes_ > 0) {
        const std::size_t take = size < 64 - pendingBytes_ ? size : 64 - pendingBytes_;
        std::memcpy(pending_ + pendingBytes_, bytes, take);
        pendingBytes_ += take;
        bytes += take;
        size -= take;
        if (pendingBytes_ < 64) {
            return;
        }
        transform(pending_);
        pendingBytes_ = 0;
    }
    for (; size >= 64; bytes += 64, size -= 64) {
        transform(bytes);
    }
    std::memcpy(pending_, bytes, size);
    pendingBytes_ = size;
}

Md5Digest Md5::finish() {
    const std::uint64_t bitCount = totalBytes_ * 8;
    // A single 0x80 byte, zeros up to 56 mod 64, then the message length in bits.
    std::uint8_t padding[72] = {0x80};
    const std::size_t padBytes = pendingBytes_ < 56 ? 56 - pendingBytes_ : 120 - pendingBytes_;
    update(padding, padBytes);
    std::uint8_t length[8];
    for (int i = 0; i < 8; ++i) {
        length[i] = std::uint8_t(bitCount >> (8 * i));
    }
    update(length, 8);

    Md5Digest digest;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            digest[4 * i + j] = std::uint8_t(state_[i] >> (8 * j));
        }
    }
    *this = Md5();
    return digest;
}

std::string to_hex(const Md5Digest& digest) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(32);
    for (std::uint8_t byte : digest) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 15];
    }
    return text;
}

std::string md5_hex(const void* data, std::size_t size) {
    Md5 md5;
    md5.update(data, size);
    return to_hex(md5.finish());
}

}  // namespace tl::tools
