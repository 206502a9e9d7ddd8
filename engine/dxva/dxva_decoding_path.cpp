#include "engine/dxva/dxva_decoding_path.h"

#include <cstring>
#include <initializer_list>

#include "engine/dxva/coefficient_forms.h"
#include "engine/dxva/macroblock_batch.h"
#include "engine/dxva/macroblock_records.h"
#include "engine/dxva/pending_retry.h"
#include "engine/dxva/picture_parameters.h"
#include "engine/macroblock/coefficients.h"
#include "engine/macroblock/kernel_slots.h"
#include "engine/macroblock/macroblock_blocks.h"
#include "engine/macroblock/macroblock_flags.h"
#include "engine/macroblock/macroblock_parser.h"
#include "engine/macroblock/parser_state.h"
#include "engine/macroblock/picture_params.h"
#include "engine/macroblock/scaled_matrix_cache.h"
#include "engine/macroblock/slice_decoder.h"
#include "engine/macroblock/slice_header.h"
#include "engine/macroblock/stream_end_padding.h"

namespace tl {
namespace {

using namespace dxva;

// Residual room one macroblock may need, by form.
constexpr std::uint32_t kHostIntraReserve = 384;
constexpr std::uint32_t kHostCodedReserve = 768;
constexpr std::uint32_t kSingleCoefficientReserve = 1536;
constexpr std::uint32_t kGroupedCoefficientReserve = 1152;

// Dense blocks for the host inverse DCT.
struct SpatialBlocks {
    const PictureParams& params;
    ParserState& state;
    ScaledMatrixCache& matrices;
    std::int16_t* blocks;
    int count = 0;

    HResult intra(LocalBits& bits) {
        count = kBlocksPerMacroblock;
        clear();
        return decodeIntraMacroblockBlocks(bits, params, state, matrices, blocks);
    }
    HResult nonIntra(LocalBits& bits, std::uint32_t pattern) {
        count = mb::codedCount(pattern);
        clear();
        return decodeNonIntraMacroblockBlocks(bits, params, state, matrices, pattern, blocks);
    }
    // The inverse DCT here works in place, so the blocks hold the last
    // macroblock's residuals until cleared.
    void clear() { std::memset(blocks, 0, std::size_t(count) * 64 * sizeof(std::int16_t)); }
};

// Run lists for the accelerator's inverse DCT, one per block (empty when the
// block is not coded).
struct RunListBlocks {
    const PictureParams& params;
    ParserState& state;
    ScaledMatrixCache& matrices;
    RunLevelPair (*lists)[kMaxRunLevelPairs];
    int* counts;

    HResult intra(LocalBits& bits) {
        const std::uint16_t* weights = matrices.get(MATRIX_INTRA_LUMA, state.quantiser_scale);
        auto decode = params.intra_vlc_format ? decodeIntraRunLevelB15 : decodeIntraRunLevelB14;
        for (int b = 0; b < kBlocksPerMacroblock; ++b) {
            std::int32_t differential;
            const int component = b < 4 ? 0 : b - 3;
            const HResult r = component ? decodeDcDifferentialChroma(bits, differential)
                                        : decodeDcDifferentialLuma(bits, differential);
            if (r != hr::ok) return r;
            state.dc_dct_pred[component] += differential;
            lists[b][0] = RunLevelPair{0, std::int16_t(state.dc_dct_pred[component] * (1 << params.intra_dc_shift))};
            counts[b] = 1;
            if (HResult ac = decode(bits, lists[b], counts[b], weights, params.scan, state.errors); ac != hr::ok)
                return ac;
        }
        return hr::ok;
    }
    HResult nonIntra(LocalBits& bits, std::uint32_t pattern) {
        const std::uint16_t* weights = matrices.get(MATRIX_NON_INTRA_LUMA, state.quantiser_scale);
        for (int b = 0; b < kBlocksPerMacroblock; ++b) {
            if (!(pattern & mb::coded(b))) continue;
            if (HResult r = decodeNonIntraRunLevel(bits, lists[b], counts[b], weights, params.scan, state.errors);
                r != hr::ok)
                return r;
        }
        return hr::ok;
    }
};

class Path final : public DxvaDecodingPath {
public:
    void connect(DxvaAccelerator* accelerator, const DXVA_ConfigPictureDecode& config,
                 const AMVACompBufferInfo* compBufferInfo) override {
        accelerator_ = accelerator;
        config_ = config;
        std::memcpy(bufferInfo_, compBufferInfo, sizeof bufferInfo_);
    }

    HResult decodePicture(BitReader& reader, const StreamState& stream, const PictureTargets& targets) override {
        padding_.begin(reader);
        const HResult r = decodeFrame(reader, stream, targets);
        padding_.end();
        return r;
    }

    std::uint32_t errors() const override { return state_.errors; }
    void resetErrors() override { state_.errors = 0; }

private:
    bool hostResidual() const { return config_.bConfigResidDiffAccelerator == 0; }

    HResult decodeFrame(BitReader& reader, const StreamState& stream, const PictureTargets& targets) {
        params_ = makePictureParams(stream);
        if (!accelerator_ || !targets.current || params_.mb_width <= 0 || params_.mb_count <= 0 ||
            params_.chroma_format != CHROMA_420 || params_.picture_structure < TOP_FIELD ||
            params_.picture_structure > FRAME_PICTURE)
            return skipPictureSlices(reader);
        matrices_.update(stream);
        alternateScan_ = stream.alternate_scan != 0;

        std::uint16_t surface = std::uint16_t(targets.current->index);
        AMVABeginFrameInfo begin{surface, &surface, sizeof surface, nullptr, 0};
        // Nothing may be written into buffers the accelerator did not hand out:
        // a picture it will not start is passed over.
        if (failed(retryWhilePending([&] { return accelerator_->beginFrame(begin); })))
            return skipPictureSlices(reader);

        void* buffers[4] = {};
        bool obtained = true;
        for (std::uint32_t type = DXVA_PICTURE_DECODE_BUFFER; type <= DXVA_RESIDUAL_DIFFERENCE_BUFFER; ++type) {
            std::int32_t stride = 0;
            obtained = obtained && !failed(accelerator_->getBuffer(type, 0, false, &buffers[type], &stride)) &&
                       buffers[type];
        }
        obtained = obtained &&
                   bufferInfo_[DXVA_PICTURE_DECODE_BUFFER].dwBytesToAllocate >= sizeof(DXVA_PictureParameters);
        HResult r = kPictureFinished;
        if (obtained) {
            sendPictureParameters(buffers[DXVA_PICTURE_DECODE_BUFFER], stream, targets);
            startBatch(buffers);
            r = decodeSlices(reader);
            batch_.flush();
        } else {
            r = skipPictureSlices(reader);
        }
        for (std::uint32_t type : {DXVA_MACROBLOCK_CONTROL_BUFFER, DXVA_RESIDUAL_DIFFERENCE_BUFFER,
                                   DXVA_PICTURE_DECODE_BUFFER})
            if (buffers[type]) accelerator_->releaseBuffer(type, 0);
        AMVAEndFrameInfo end{sizeof surface, &surface};
        accelerator_->endFrame(end);
        retryWhilePending([&] { return accelerator_->queryRenderStatus(kRenderStatusAnyType, surface, 0); });
        return r;
    }

    void sendPictureParameters(void* buffer, const StreamState& stream, const PictureTargets& targets) {
        const DXVA_PictureParameters pp = makePictureParameters(stream, targets);
        std::memcpy(buffer, &pp, sizeof pp);
        AMVABUFFERINFO info{DXVA_PICTURE_DECODE_BUFFER, 0, 0, sizeof pp};
        DXVA_BufferDescription description{};
        description.dwTypeIndex = DXVA_PICTURE_DECODE_BUFFER;
        description.dwDataSize = sizeof pp;
        std::uint32_t status = 0;
        accelerator_->execute(kPictureDecodingFunction, &description, sizeof description, &status, sizeof status,
                              1, &info);
    }

    void startBatch(void* const* buffers) {
        const bool intraPicture = params_.picture_coding_type == PICTURE_I;
        recordSize_ = intraPicture ? kIntraRecordSize : kVectorRecordSize;
        std::uint32_t reserve;
        if (config_.bConfigResidDiffHost)
            reserve = intraPicture ? kHostIntraReserve : kHostCodedReserve;
        else
            reserve = config_.bConfig4GroupedCoefs ? kGroupedCoefficientReserve : kSingleCoefficientReserve;
        MacroblockBatch::Buffers b;
        b.control = static_cast<std::uint8_t*>(buffers[DXVA_MACROBLOCK_CONTROL_BUFFER]);
        b.controlCapacity = bufferInfo_[DXVA_MACROBLOCK_CONTROL_BUFFER].dwBytesToAllocate;
        b.residual = static_cast<std::uint8_t*>(buffers[DXVA_RESIDUAL_DIFFERENCE_BUFFER]);
        b.residualCapacity = bufferInfo_[DXVA_RESIDUAL_DIFFERENCE_BUFFER].dwBytesToAllocate;
        batch_.begin(accelerator_, b, recordSize_, reserve);
    }

    HResult decodeSlices(BitReader& reader) {
        for (;;) {
            matrices_.resetCounters();
            const HResult r = decodeSliceGuarded(reader, [&] { return decodeSlice(reader); });
            if (failed(r) || r == kPictureFinished) return r;
        }
    }

    ControlRecord recordFor(std::uint32_t address, std::uint32_t flags, bool hostForm) const {
        ControlRecord c;
        c.address = address;
        c.flags = flags;
        c.residualOffset = batch_.residualUsed();
        c.withVectors = recordSize_ == kVectorRecordSize;
        c.hostResidual = hostForm;
        c.alternateScan = alternateScan_;
        c.pmv = state_.PMV;
        return c;
    }

    // One record per skipped macroblock, all alike but for the address; their
    // six zero bytes read as coefficient counts or as wPC_Overflow alike.
    bool writeSkippedRun(std::uint32_t address, int count, std::uint32_t flags) {
        for (int i = 0; i < count; ++i) {
            if (!batch_.makeRoom(1)) return false;
            const ControlRecord c = recordFor(address + std::uint32_t(i), flags, config_.bConfigResidDiffHost != 0);
            writeControlRecord(batch_.nextRecord(), c);
            batch_.append(0);
        }
        return true;
    }

    // Parses one macroblock and appends its record and residual. Returns the
    // parser's status; `flags` receives the macroblock's flags word.
    HResult sendMacroblock(LocalBits& bits, std::uint32_t address, std::uint32_t& flags) {
        ControlRecord c;
        std::size_t residualBytes = 0;
        std::uint8_t* out = batch_.nextResidual();
        int counts[kBlocksPerMacroblock] = {};  // the record points at them
        if (hostResidual()) {
            SpatialBlocks blocks{params_, state_, matrices_, blocks_};
            if (HResult r = parseMacroblock(bits, params_, state_, blocks, flags); r != hr::ok) return r;
            c = recordFor(address, flags, hostResidual());
            if (blocks.count) kernelSlots().idct(blocks_, blocks.count);
            residualBytes = params_.picture_coding_type == PICTURE_I ? writeIntraResidual8(out, blocks_)
                                                                     : writeResidual16(out, blocks_, blocks.count);
        } else {
            RunListBlocks blocks{params_, state_, matrices_, runLists_, counts};
            if (HResult r = parseMacroblock(bits, params_, state_, blocks, flags); r != hr::ok) return r;
            c = recordFor(address, flags, hostResidual());
            c.counts = counts;
            auto write = config_.bConfig4GroupedCoefs ? writeGroupedCoefficients : writeSingleCoefficients;
            for (int b = 0; b < kBlocksPerMacroblock; ++b)
                if (counts[b]) residualBytes += write(out + residualBytes, runLists_[b], counts[b]);
        }
        writeControlRecord(batch_.nextRecord(), c);
        batch_.append(std::uint32_t(residualBytes));
        return hr::ok;
    }

    HResult decodeSlice(BitReader& reader) {
        std::int32_t address;
        if (HResult r = parseSliceHeader(reader, params_, state_, address); r != hr::ok) return r;
        LocalBits bits(reader);
        bool full = false;
        const HResult r = sendMacroblocks(bits, address, full);
        bits.writeBack();
        return full ? skipPictureSlices(reader) : r;
    }

    // The macroblocks of a slice from the one at `address`, all read through
    // one bit window; `full` when the buffers ran out of room.
    HResult sendMacroblocks(LocalBits& bits, std::int32_t address, bool& full) {
        const PictureParams& p = params_;
        std::int32_t increment = 1;
        for (;;) {
            if (!batch_.makeRoom(increment)) break;
            std::uint32_t flags;
            if (HResult r = sendMacroblock(bits, std::uint32_t(address), flags); r != hr::ok) return r;

            if (++address == p.mb_count) return kPictureFinished;
            if (HResult r = bits.ensure(23); r != hr::ok) return r;
            if (bits.peek(23) == 0) return hr::ok;
            if (HResult r = parseAddressIncrement(bits, increment); r != hr::ok) return r;
            if (address + increment > p.mb_count) return kPictureFinished;
            if (increment > 1) {
                if (!batch_.makeRoom(increment)) break;
                const std::uint32_t skipped = skippedMacroblockFlags(p, state_, flags);
                if (!writeSkippedRun(std::uint32_t(address), increment - 1, skipped)) break;
                address += increment - 1;
                increment = 1;
            }
        }
        full = true;
        return hr::ok;
    }

    DxvaAccelerator* accelerator_ = nullptr;
    DXVA_ConfigPictureDecode config_{};
    AMVACompBufferInfo bufferInfo_[kCompBufferTypes]{};

    PictureParams params_;
    ParserState state_;
    ScaledMatrixCache matrices_;
    StreamEndPadding padding_;
    MacroblockBatch batch_;
    std::uint32_t recordSize_ = kIntraRecordSize;
    bool alternateScan_ = false;
    alignas(16) std::int16_t blocks_[64 * kBlocksPerMacroblock];
    RunLevelPair runLists_[kBlocksPerMacroblock][kMaxRunLevelPairs];
};

}  // namespace

std::unique_ptr<DxvaDecodingPath> makeDxvaDecodingPath() { return std::make_unique<Path>(); }

}  // namespace tl
