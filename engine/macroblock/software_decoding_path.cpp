#include "engine/macroblock/software_decoding_path.h"

#include <algorithm>
#include <vector>

#include "engine/macroblock/concealment.h"
#include "engine/macroblock/parser_state.h"
#include "engine/macroblock/picture_params.h"
#include "engine/macroblock/reconstruct.h"
#include "engine/macroblock/row_arrays.h"
#include "engine/macroblock/scaled_matrix_cache.h"
#include "engine/macroblock/slice_decoder.h"
#include "engine/macroblock/stream_end_padding.h"

namespace tl {
namespace {

// The picture driver: the slice parser hands over each macroblock as soon as
// it is parsed, and its blocks go through the inverse DCT into the picture
// while they are still in the first-level cache.
class SoftwareDecodingPath final : public DecodingPath, private RecordedMacroblocks {
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
        rows_.allocate(params.mb_width, params.block_count);
        matrices_.update(stream);
        reconstructor_.begin(params, targets);
        const SliceContext ctx{params, state_, matrices_, rows_, *this};
        conceal_ = targets.conceal;
        if (conceal_) reached_.assign(std::size_t(params.mb_count), 0);

        for (;;) {
            matrices_.resetCounters();
            const HResult r = decodeSlice(reader, ctx);
            if (failed(r)) return r;
            if (r == kPictureFinished) {
                if (conceal_) ConcealUnreached(params, targets, reached_);
                return kPictureFinished;
            }
        }
    }

    void take(const RowArrays& rows, std::int32_t firstAddress) override {
        reconstructor_.reconstruct(rows, firstAddress, rows.recorded());
        if (conceal_) markReached(firstAddress, rows.recorded());
    }

    void markReached(std::int32_t first, int count) {
        for (std::int32_t a = std::max(first, 0); a < first + count && std::size_t(a) < reached_.size(); ++a)
            reached_[std::size_t(a)] = 1;
    }

    ParserState state_;
    bool conceal_ = false;
    std::vector<std::uint8_t> reached_;  // per macroblock address, while concealment is on
    ScaledMatrixCache matrices_;
    RowArrays rows_;
    SliceReconstructor reconstructor_;
    StreamEndPadding padding_;
};

}  // namespace

std::unique_ptr<DecodingPath> makeSoftwareDecodingPath() {
    return std::make_unique<SoftwareDecodingPath>();
}

}  // namespace tl
