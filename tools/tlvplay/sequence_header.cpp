#include "tools/tlvplay/sequence_header.h"

#include <utility>

namespace tl::tlvplay {
namespace {

constexpr std::uint8_t kSequenceHeaderCode = 0xB3;
constexpr std::uint8_t kExtensionStartCode = 0xB5;
constexpr int kSequenceExtensionId = 1;

// frame_rate_code 1 to 8 as numerator/denominator.
constexpr int kFrameRates[9][2] = {{0, 1},     {24000, 1001}, {24, 1}, {25, 1},      {30000, 1001},
                                   {30, 1},    {50, 1},       {60000, 1001}, {60, 1}};

class Bits {
public:
    Bits(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool Has(std::size_t n) const { return pos_ + n <= size_ * 8; }
    std::uint32_t Read(int n) {
        std::uint32_t v = 0;
        for (int i = 0; i < n; ++i, ++pos_) v = v << 1 | ((data_[pos_ >> 3] >> (7 - (pos_ & 7))) & 1);
        return v;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

bool IsStartCode(const std::uint8_t* data, std::size_t size, std::size_t at, std::uint8_t code) {
    return at + 4 <= size && data[at] == 0 && data[at + 1] == 0 && data[at + 2] == 1 && data[at + 3] == code;
}

}  // namespace

std::size_t FindStartCode(const std::uint8_t* data, std::size_t size, std::size_t from) {
    for (std::size_t i = from; i + 3 <= size; ++i)
        if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1) return i;
    return size;
}

bool ParseSequenceHeader(const std::uint8_t* data, std::size_t size, SequenceInfo* out) {
    if (!IsStartCode(data, size, 0, kSequenceHeaderCode)) return false;
    Bits header(data + 4, size - 4);
    if (!header.Has(64)) return false;
    SequenceInfo info;
    info.width = int(header.Read(12));
    info.height = int(header.Read(12));
    info.aspectRatioInformation = int(header.Read(4));
    info.frameRateCode = int(header.Read(4));
    std::uint32_t bitRateValue = header.Read(18);
    if (header.Read(1) != 1) return false;  // marker_bit
    header.Read(10);                        // vbv_buffer_size_value
    header.Read(1);                         // constrained_parameters_flag
    std::size_t length = 8;  // the fields above, without the matrices
    if (header.Read(1)) {  // load_intra_quantiser_matrix
        if (!header.Has(64 * 8 + 1)) return false;
        for (int i = 0; i < 64; ++i) header.Read(8);
        length += 64;
    }
    if (header.Read(1)) length += 64;  // load_non_intra_quantiser_matrix
    if (4 + length > size || info.width == 0 || info.height == 0) return false;

    std::size_t end = 4 + length;
    int frameRateN = 0;
    int frameRateD = 0;
    while (IsStartCode(data, size, end, kExtensionStartCode)) {
        const std::size_t next = FindStartCode(data, size, end + 4);
        Bits ext(data + end + 4, next - end - 4);
        if (ext.Has(48) && int(ext.Read(4)) == kSequenceExtensionId && !info.hasExtension) {
            info.hasExtension = true;
            info.profileAndLevel = int(ext.Read(8));
            info.progressiveSequence = ext.Read(1) != 0;
            info.chromaFormat = int(ext.Read(2));
            info.width |= int(ext.Read(2)) << 12;
            info.height |= int(ext.Read(2)) << 12;
            bitRateValue |= ext.Read(12) << 18;
            ext.Read(1);  // marker_bit
            ext.Read(8);  // vbv_buffer_size_extension
            ext.Read(1);  // low_delay
            frameRateN = int(ext.Read(2));
            frameRateD = int(ext.Read(5));
        }
        end = next;
    }
    info.bitRate = bitRateValue * 400u;
    if (info.frameRateCode >= 1 && info.frameRateCode <= 8) {
        const long long num = 1LL * kFrameRates[info.frameRateCode][0] * (frameRateN + 1);
        const long long den = 1LL * kFrameRates[info.frameRateCode][1] * (frameRateD + 1);
        info.framePeriod = ReferenceTime(10000000LL * den / num);
    }
    switch (info.aspectRatioInformation) {
        case 2: info.aspectX = 4, info.aspectY = 3; break;
        case 3: info.aspectX = 16, info.aspectY = 9; break;
        case 4: info.aspectX = 221, info.aspectY = 100; break;
        default: info.aspectX = info.width, info.aspectY = info.height; break;
    }
    info.bytes.assign(data, data + end);
    *out = std::move(info);
    return true;
}

}  // namespace tl::tlvplay
