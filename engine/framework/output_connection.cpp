#include "engine/framework/output_connection.h"

#include <cstdlib>

#include "engine/framework/picture_rules.h"

namespace tl {

bool OutputConnection::read(DecoderHost& host) {
    format_ = host.connectionFormat();
    dxva_ = format_.subtype >= OutputSubtype::DxvaModeA && format_.subtype <= OutputSubtype::DxvaModeD;
    supportsInterlace_ = (format_.interlaceFlags & 1) != 0;
    return deriveFormat();
}

bool OutputConnection::adopt(const OutputFormat& format) {
    format_ = format;
    if (format_.videoInfo2) {
        format_.aspectX = std::uint32_t(agreed_.aspectX);
        format_.aspectY = std::uint32_t(agreed_.aspectY);
    }
    return deriveFormat();
}

bool OutputConnection::deriveFormat() {
    width_ = format_.width;
    height_ = std::abs(format_.height);
    const std::int32_t before = formatCode_;
    DeriveOutputFormat(format_, &formatCode_, &bitsPerPixel_);
    return (before == OUTPUT_YUY2) != (formatCode_ == OUTPUT_YUY2);
}

void OutputConnection::agreeOnConnection() {
    agreed_ = Agreed{};
    agreed_.width = width_;
    agreed_.height = height_;
    agreed_.aspectX = std::int32_t(format_.aspectX);
    agreed_.aspectY = std::int32_t(format_.aspectY);
}

bool OutputConnection::changedFrom(const StreamState& s, const std::int32_t aspect[2]) const {
    return dxva_ || s.chroma_format != agreed_.chromaFormat || aspect[0] != agreed_.aspectX ||
           aspect[1] != agreed_.aspectY || s.horizontal_size != agreed_.width || s.vertical_size != agreed_.height;
}

void OutputConnection::agree(const StreamState& s, const std::int32_t aspect[2]) {
    agreed_.codedWidth = s.coded_width;
    agreed_.codedHeight = s.coded_height;
    agreed_.chromaFormat = s.chroma_format;
    agreed_.width = s.horizontal_size;
    agreed_.height = s.vertical_size;
    agreeAspect(aspect);
}

void OutputConnection::agreeAspect(const std::int32_t aspect[2]) {
    agreed_.aspectX = aspect[0];
    agreed_.aspectY = aspect[1];
    typeChangePending_ = true;
}

}  // namespace tl
