// MD5 message digest (RFC 1321): per-picture digests to compare decoders' output
// by, as tlvdec --md5 prints them and the corpus records them.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tl::tools {

using Md5Digest = std::array<std::uint8_t, 16>;

class Md5 {
public:
    Md5();
    void update(const void* data, std::size_t size);
    // Pads, returns the digest and resets the state so the object can be reused.
    Md5Digest finish();

private:
    void transform(const std::uint8_t* block);

    std::uint32_t state_[4];
    std::uint64_t totalBytes_ = 0;
    std::uint8_t pending_[64];
    std::size_t pendingBytes_ = 0;
};

// Lowercase hexadecimal, as md5sum and ffmpeg's framemd5 print it.
std::string to_hex(const Md5Digest& digest);
std::string md5_hex(const void* data, std::size_t size);

}  // namespace tl::tools
