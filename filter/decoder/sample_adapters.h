// IMediaSample seen through the decoder's sample seams.
#pragma once
#include <windows.h>

#include <dshow.h>

#include <atomic>
#include <optional>

#include "engine/framework/host_interfaces.h"
#include "filter/com/com_ptr.h"

namespace tl {

// A compressed input sample. Created with one reference, which the creator drops
// once it has handed the sample to the decoder.
class InputMediaSample final : public InputSample {
public:
    explicit InputMediaSample(IMediaSample* sample) : sample_(sample) {}
    void addRef() override { ++refs_; }
    void release() override;
    Properties properties() const override;

private:
    ~InputMediaSample() = default;
    com::ComPtr<IMediaSample> sample_;
    std::atomic<int> refs_{1};
};

// An output sample from the downstream allocator. typeSource is the pin whose
// connection type goes with a sample flagged as a type change.
class OutputMediaSample final : public OutputSample {
public:
    OutputMediaSample(IMediaSample* sample, IPin* typeSource);
    void release() override { delete this; }
    std::uint8_t* buffer() override { return buffer_; }
    std::int32_t size() const override { return size_; }
    const OutputFormat* arrivedMediaType() const override { return arrived_ ? &*arrived_ : nullptr; }
    void setProperties(const Properties& properties) override;
    Properties properties() const override { return properties_; }

    IMediaSample* sample() const { return sample_.Get(); }

private:
    ~OutputMediaSample() = default;
    com::ComPtr<IMediaSample> sample_;
    com::ComPtr<IPin> typeSource_;
    std::uint8_t* buffer_ = nullptr;
    std::int32_t size_ = 0;
    std::optional<OutputFormat> arrived_;
    Properties properties_;
};

}  // namespace tl
