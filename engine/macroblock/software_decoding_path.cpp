#include "engine/macroblock/software_decoding_path.h"

#include <vector>

#include "engine/macroblock/concealment.h"
#include "engine/macroblock/parser_state.h"
#include "engine/macroblock/picture_params.h"
#include "engine/macroblock/block_buffer.h"
#include "engine/macroblock/scaled_matrix_cache.h"
#include "engine/macroblock/slice_decoder.h"
#include "engine/macroblock/stream_end_padding.h"

namespace tl {
namespace {

// The picture driver: the slice parser reconstructs each macroblock as soon
// as it is parsed, and its blocks go through the inverse DCT into the picture
// while they are still in the first-level cache.
class SoftwareDecodingPath final : public DecodingPath {
public:
    HResult decodePicture(BitReader& reader, const StreamState& stream, const PictureTargets& targets) override {
        padding_.begin(reader);
        const HResult r = decodeSlices(reader, stream, targets);
        padding_.end();
        return r;
    }

    std::uint32_t errors() const override { return state_.errors; }
    void resetErrors() override { state_.errors = 0; }

private:
    HResult decodeSlices(BitReader& reader, const StreamState& stream, const PictureTargets& targets) {
        const PictureParams params = makePictureParams(stream);
        if (params.mb_width <= 0 || params.mb_count <= 0 || params.chroma_format < CHROMA_420 ||
            params.chroma_format > CHROMA_444 || params.picture_structure < TOP_FIELD ||
            params.picture_structure > FRAME_PICTURE)
            return skipPictureSlices(reader);
        blocks_.allocate(params.block_count);
        matrices_.update(stream);
        reconstructor_.begin(params, targets);
        const bool conceal = targets.conceal;
        if (conceal) reached_.assign(std::size_t(params.mb_count), 0);
        const SliceContext ctx{params, state_, matrices_, blocks_, reconstructor_, conceal ? reached_.data() : nullptr};

        for (;;) {
            matrices_.resetCounters();
            const HResult r = decodeSliceGuarded(reader, [&] { return decodeSlice(reader, ctx); });
            if (failed(r)) return r;
            if (r == kPictureFinished) {
                if (conceal) ConcealUnreached(params, targets, reached_);
                return kPictureFinished;
            }
        }
    }

    ParserState state_;
    std::vector<std::uint8_t> reached_;  // per macroblock address, while concealment is on
    ScaledMatrixCache matrices_;
    BlockBuffer blocks_;
    SliceReconstructor reconstructor_;
    StreamEndPadding padding_;
};

}  // namespace

std::unique_ptr<DecodingPath> makeSoftwareDecodingPath() {
    return std::make_unique<SoftwareDecodingPath>();
}

}  // namespace tl
