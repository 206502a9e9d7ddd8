// The seam between the portable decoder and whatever hosts it: the DirectShow
// filter on Windows (thin adapters over IMediaSample, the output pin and
// IFilterVideoDecoder), tlvdec and the tests on Linux.
#pragma once
#include <array>
#include <cstdint>

#include "convert/output_format.h"
#include "engine/dxva/dxva_structures.h"
#include "engine/base/hresult.h"
#include "engine/framework/overlay_painter.h"
#include "engine/base/reference_time.h"

namespace tl {

// A compressed input sample. Reference counted like IMediaSample: the decoder
// takes a reference when it queues the sample and drops it when done.
class InputSample {
public:
    struct Properties {
        std::uint32_t flags = 0;  // sample_flag bits
        const std::uint8_t* data = nullptr;
        std::int32_t length = 0;  // actual payload length in bytes
        ReferenceTime start = kNoTime;
        ReferenceTime stop = kNoTime;
    };
    virtual void addRef() = 0;
    virtual void release() = 0;
    virtual Properties properties() const = 0;

protected:
    ~InputSample() = default;
};

// Media subtypes the decoder distinguishes on its output connection. Those the
// conversion writes are their output format code.
enum class OutputSubtype : std::uint8_t {
    YUY2 = OUTPUT_YUY2,
    UYVY = OUTPUT_UYVY,
    YVYU = OUTPUT_YVYU,
    YV12 = OUTPUT_YV12,
    RGB32 = OUTPUT_RGB32,
    RGB24 = OUTPUT_RGB24,
    RGB565 = OUTPUT_RGB565,
    RGB555 = OUTPUT_RGB555,
    // The engine's own planar layout (Y, Cb, Cr at the visible size, chroma as
    // the stream carries it). No DirectShow connection ever yields it; tlvdec
    // and the tests use it to see decoded pictures unchanged.
    Planar = OUTPUT_PLANAR,
    DxvaModeA,
    DxvaModeB,
    DxvaModeC,
    DxvaModeD,
    Other,
};

// What the decoder needs to know of the output connection's media type (the
// filter fills it from an AM_MEDIA_TYPE with a VIDEOINFOHEADER2 format block).
struct OutputFormat {
    OutputSubtype subtype = OutputSubtype::Other;
    bool videoInfo2 = true;            // format block is a VIDEOINFOHEADER2
    std::int32_t width = 0;            // biWidth
    std::int32_t height = 0;           // biHeight (sign as in the header)
    std::uint16_t bitCount = 0;        // biBitCount
    std::uint32_t compression = 0;     // biCompression
    std::uint32_t aspectX = 0;         // dwPictAspectRatioX
    std::uint32_t aspectY = 0;         // dwPictAspectRatioY
    std::uint32_t interlaceFlags = 0;  // dwInterlaceFlags
};

inline constexpr std::uint32_t kBiRgb = 0;
inline constexpr std::uint32_t kBiBitfields = 3;

// An output sample obtained from the host. The decoder writes the picture into
// buffer(), sets the properties and hands it back through deliver().
class OutputSample {
public:
    struct Properties {
        std::uint32_t flags = 0;              // sample_flag bits
        std::uint32_t typeSpecificFlags = 0;  // video_flag bits
        ReferenceTime start = kNoTime;
        ReferenceTime stop = kNoTime;
        std::int32_t actualLength = 0;
        // Attached when flags carry type_changed; null otherwise.
        const OutputFormat* mediaType = nullptr;
        // picture_coding_type of the picture (informational; the filter ignores it).
        std::int32_t pictureType = 0;
    };
    virtual void release() = 0;
    virtual std::uint8_t* buffer() = 0;
    virtual std::int32_t size() const = 0;
    // The media type the sample arrived with when the downstream allocator
    // changed it (AM_SAMPLE_TYPECHANGED on a fresh buffer), else null.
    virtual const OutputFormat* arrivedMediaType() const = 0;
    virtual void setProperties(const Properties& properties) = 0;
    // What setProperties last gave it (an accelerator reads them when the
    // sample comes with DisplayFrame).
    virtual Properties properties() const = 0;

protected:
    ~OutputSample() = default;
};

using ClassId = std::array<std::uint8_t, 16>;

class DxvaAccelerator;

// The decoder's callback into the output side (IVideoDecoderHost).
class DecoderHost {
public:
    virtual HResult changeOutputFormat(const std::int32_t size[2], const std::int32_t codedSize[2],
                                       const std::int32_t aspect[2], int chromaFormat,
                                       ReferenceTime framePeriod) = 0;
    virtual HResult changeAspectRatio(const std::int32_t aspect[2]) = 0;
    virtual HResult getDeliveryBuffer(OutputSample** sample, ReferenceTime* start,
                                      ReferenceTime* stop, std::uint32_t flags) = 0;
    virtual HResult deliver(OutputSample* sample) = 0;
    // The output pin's current connection media type.
    virtual OutputFormat connectionFormat() = 0;
    // Class identifier of the filter connected downstream (all zero if none).
    virtual ClassId downstreamFilterClassId() = 0;

    // DirectX VA connections: what the connection set-up agreed with the
    // accelerator, and the accelerator itself. A host that never connects in a
    // DXVA subtype keeps these answers.
    virtual std::uint32_t dxvaSurfaceCount() { return 0; }
    virtual void dxvaCompBufferInfo(dxva::AMVACompBufferInfo (&)[dxva::kCompBufferTypes]) {}
    virtual void dxvaPictureDecodeConfig(dxva::DXVA_ConfigPictureDecode&) {}
    // The alpha-blend flag, with the two alpha-blend configurations.
    virtual bool dxvaAlphaBlend(dxva::DXVA_ConfigAlphaLoad&, dxva::DXVA_ConfigAlphaCombine&) { return false; }
    virtual DxvaAccelerator* dxvaAccelerator() { return nullptr; }

protected:
    ~DecoderHost() = default;
};

// The settings the decoder reads from the filter (IFilterVideoDecoder).
class DecoderSettings {
public:
    virtual std::int32_t frameSkippingToleranceMs() = 0;
    virtual bool cpuFeatureSSE() = 0;
    virtual bool cpuFeatureSSE2() = 0;
    virtual bool cpuFeatureSSE3() = 0;
    virtual bool alwaysDeinterlace() = 0;
    virtual bool colorCorrection() = 0;
    virtual int deinterlace() = 0;  // tagDEINTERLACE
    virtual std::int32_t aspectRatioX() = 0;
    virtual std::int32_t aspectRatioY() = 0;
    virtual bool frameSkipping() = 0;
    virtual ReferenceTime rendererLateness() = 0;
    // Fill the macroblocks a damaged picture leaves undecoded from the co-located
    // area of the nearest reference picture, instead of keeping what the buffer held.
    virtual bool errorConcealment() { return false; }
    // The layer tree drawn over every picture (TopLayer), read at Init; null: none.
    virtual OverlayPainter* layers() { return nullptr; }

protected:
    ~DecoderSettings() = default;
};

}  // namespace tl
