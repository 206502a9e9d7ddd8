// A DirectX VA 1 accelerator in software, standing in for a graphics driver
// where there is none: it answers the configuration exchange for one MPEG-2
// mode (A and B: residual differences from the host; C and D: its own inverse
// DCT, grouped coefficients unless told otherwise; alpha blending in B and D),
// keeps its surfaces, answers E_PENDING now and then as a busy driver does,
// rebuilds every picture from the buffers it is handed, and records what it is
// asked to display. Test and tool code: never part of the filter.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/dxva/accelerator.h"
#include "engine/framework/host_interfaces.h"
#include "tools/dxva_soft/alpha_blender.h"
#include "tools/dxva_soft/macroblock_rebuild.h"
#include "tools/dxva_soft/surfaces.h"

namespace tl::dxva_soft {

struct Options {
    char mode = 'A';                  // 'A' to 'D'
    bool singleCoefficients = false;  // C and D: one coefficient per entry instead of groups of four
    int surfaces = 8;
    std::uint32_t controlBytes = 1u << 20;   // macroblock control buffer
    std::uint32_t residualBytes = 8u << 20;  // residual difference buffer
    // Every n-th BeginFrame and QueryRenderStatus first answers E_PENDING; 0: never.
    int pendingEvery = 0;
    // B and D: the AYUV surface the layer image is loaded into.
    int alphaWidth = 1920, alphaHeight = 1088;
    // A driver that probes fine but will not lock the decoding configuration.
    bool refuseLock = false;
};

struct Displayed {
    std::uint32_t surface = 0;
    OutputSample::Properties properties;
};

class SoftAccelerator final : public DxvaAccelerator {
public:
    explicit SoftAccelerator(const Options& options);
    SoftAccelerator(const SoftAccelerator&) = delete;
    SoftAccelerator& operator=(const SoftAccelerator&) = delete;
    ~SoftAccelerator() = default;

    HResult getInternalCompBufferInfo(std::uint32_t* count, dxva::AMVACompBufferInfo* info) override;
    HResult beginFrame(const dxva::AMVABeginFrameInfo& info) override;
    HResult endFrame(const dxva::AMVAEndFrameInfo& info) override;
    HResult getBuffer(std::uint32_t typeIndex, std::uint32_t bufferIndex, bool readOnly, void** buffer,
                      std::int32_t* stride) override;
    HResult releaseBuffer(std::uint32_t typeIndex, std::uint32_t bufferIndex) override;
    HResult execute(std::uint32_t function, void* privateInput, std::uint32_t inputSize, void* privateOutput,
                    std::uint32_t outputSize, std::uint32_t bufferCount,
                    const dxva::AMVABUFFERINFO* buffers) override;
    HResult queryRenderStatus(std::uint32_t typeIndex, std::uint32_t bufferIndex, std::uint32_t flags) override;
    HResult displayFrame(std::uint32_t flipToIndex, OutputSample* sample) override;

    // Called for every DisplayFrame with the shown surface.
    std::function<void(const Surface&, const OutputSample::Properties&)> onDisplay;

    const std::vector<Displayed>& displayed() const { return displayed_; }
    int pendingAnswers() const { return pendingAnswers_; }
    int surfaceCount() const { return surfaces_.count(); }
    const Surface* surface(int index) const { return surfaces_.at(index); }

private:
    HResult configure(std::uint32_t function, const void* input, std::uint32_t inputSize, void* output,
                      std::uint32_t outputSize);
    HResult decode(const void* input, std::uint32_t inputSize, std::uint32_t bufferCount,
                   const dxva::AMVABUFFERINFO* buffers);
    HResult alphaLoad(const void* input, std::uint32_t inputSize, std::uint32_t bufferCount,
                      const dxva::AMVABUFFERINFO* buffers);
    HResult alphaCombine(std::uint32_t bufferCount, const dxva::AMVABUFFERINFO* buffers);
    bool pendingNow(int& calls);
    dxva::DXVA_ConfigPictureDecode supportedConfig() const;
    bool alphaModes() const { return options_.mode == 'B' || options_.mode == 'D'; }

    Options options_;
    SurfaceSet surfaces_;
    std::vector<std::uint8_t> buffers_[dxva::kCompBufferTypes];
    bool locked_ = false;
    bool alphaLoadLocked_ = false;
    bool alphaCombineLocked_ = false;
    PictureContext picture_;
    AlphaBlender blender_;
    bool inFrame_ = false;
    std::uint32_t frameSurface_ = 0;
    int beginCalls_ = 0;
    int statusCalls_ = 0;
    int pendingAnswers_ = 0;
    std::vector<Displayed> displayed_;
};

}  // namespace tl::dxva_soft
