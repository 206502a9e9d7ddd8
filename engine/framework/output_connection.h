// The output connection as the decoder sees it: the media type of the output
// pin and what follows from it (format code, size, interlace support, DirectX
// VA), and what was last agreed with the host about the stream. Worker thread.
#pragma once
#include <cstdint>

#include "convert/output_format.h"
#include "engine/framework/host_interfaces.h"
#include "engine/framework/stream_state.h"

namespace tl {

class OutputConnection {
public:
    // What was last agreed with the host.
    struct Agreed {
        std::int32_t codedWidth = 0, codedHeight = 0;
        std::int32_t chromaFormat = CHROMA_420;
        std::int32_t aspectX = 0, aspectY = 0;
        std::int32_t width = 0, height = 0;
    };

    // Takes the host's connection (read), or the type a sample arrived with for
    // its format and size (adopt; a VIDEOINFOHEADER2 keeps the agreed aspect
    // ratio). True when the output changed between YUY2 and any other format,
    // whose overlay forms differ.
    bool read(DecoderHost& host);
    bool adopt(const OutputFormat& format);
    void forget() { format_ = OutputFormat{}; }

    // Until the first sequence header the connection's own size is agreed.
    void agreeOnConnection();
    // True when the host must hear of the stream's new size, chroma format or
    // aspect ratio; always on a DirectX VA connection, whose surfaces take the coded size.
    bool changedFrom(const StreamState& s, const std::int32_t aspect[2]) const;
    void agree(const StreamState& s, const std::int32_t aspect[2]);
    void agreeAspect(const std::int32_t aspect[2]);

    const OutputFormat& format() const { return format_; }
    const Agreed& agreed() const { return agreed_; }
    bool dxva() const { return dxva_; }
    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }
    bool supportsInterlace() const { return supportsInterlace_; }
    std::int32_t formatCode() const { return formatCode_; }
    std::int32_t bitsPerPixel() const { return bitsPerPixel_; }
    bool rgbBottomUp() const { return format_.height > 0; }

    // A changed type waits to go out with the next sample.
    bool typeChangePending() const { return typeChangePending_; }
    void typeChangeSent() { typeChangePending_ = false; }

private:
    bool deriveFormat();


    OutputFormat format_;
    bool dxva_ = false;  // a DirectX VA subtype
    std::int32_t width_ = 0, height_ = 0;
    bool supportsInterlace_ = false;
    std::int32_t formatCode_ = OUTPUT_YUY2;
    std::int32_t bitsPerPixel_ = 16;
    Agreed agreed_;
    bool typeChangePending_ = false;
};

}  // namespace tl
