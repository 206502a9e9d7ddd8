// The header loop and every header parser over an arbitrary byte string fed
// to the bit reader in chunks (first input byte: chunk size), as samples of an
// upstream filter would arrive. Each chunk lives in its own allocation so a
// read past a sample's end is caught. After every picture the parsed state
// must be one the picture stage and the slice layer can work with.
#include <cstddef>
#include <cstdint>

#include "engine/framework/headers.h"
#include "fuzz/fuzz_check.h"
#include "tests/support/bit_writer.h"

namespace {

// Chunk sizes from 1 byte to the whole input.
std::size_t chunkSize(std::uint8_t selector, std::size_t size) {
    if (selector == 0xFF) return size ? size : 1;
    if (selector < 0x80) return std::size_t(selector) + 1;
    return std::size_t(selector - 0x7F) * 64;
}

void checkReader(const tl::BitReader& r) {
    FUZZ_CHECK(r.count >= 0 && r.count <= 32, "bit count out of range");
    const std::uint32_t belowValid = r.count == 32 ? 0 : (r.count == 0 ? r.cache : r.cache << r.count);
    FUZZ_CHECK(belowValid == 0, "bits below the valid ones are not zero");
    FUZZ_CHECK(r.current <= r.end, "reader ran past its sample");
}

void checkState(const tl::StreamState& s) {
    FUZZ_CHECK(s.horizontal_size >= 0 && s.horizontal_size <= 8192, "width outside the clamp");
    FUZZ_CHECK(s.vertical_size >= 0 && s.vertical_size <= 4096, "height outside the clamp");
    FUZZ_CHECK(s.coded_width == 16 * s.mb_width && s.coded_height == 16 * s.mb_height, "coded size not in macroblocks");
    FUZZ_CHECK(s.coded_width >= s.horizontal_size && s.coded_height >= s.vertical_size, "coded size below visible size");
    FUZZ_CHECK(s.coded_width - s.horizontal_size < 16, "coded width wider than needed");
    FUZZ_CHECK(s.chroma_width > 0 || s.coded_width == 0, "no chroma width");
    FUZZ_CHECK(s.chroma_width <= s.coded_width && s.chroma_height <= s.coded_height, "chroma larger than luma");
    // The derived sizes must belong to the chroma format the slice layer will use.
    const int blocks = s.chroma_format == tl::CHROMA_422 ? 8 : s.chroma_format == tl::CHROMA_444 ? 12 : 6;
    FUZZ_CHECK(s.block_count == blocks, "block count of another chroma format");
    const int chromaWidth = s.chroma_format == tl::CHROMA_444 ? s.coded_width : s.coded_width / 2;
    const int chromaHeight = s.chroma_format >= tl::CHROMA_422 ? s.coded_height : s.coded_height / 2;
    FUZZ_CHECK(s.chroma_width == chromaWidth && s.chroma_height == chromaHeight, "chroma size of another format");
    FUZZ_CHECK(s.chroma_format >= 0 && s.chroma_format <= 3, "chroma format");
    FUZZ_CHECK(s.picture_structure >= 0 && s.picture_structure <= 3, "picture structure");
    FUZZ_CHECK(s.intra_dc_precision >= 0 && s.intra_dc_precision <= 3, "intra DC precision");
    FUZZ_CHECK(s.picture_coding_type >= 0 && s.picture_coding_type <= 7, "picture coding type");
    for (const auto& direction : s.f_code)
        for (int f : direction) FUZZ_CHECK(f >= 0 && f <= 15, "f_code");
    FUZZ_CHECK(s.frame_period >= 0, "negative frame period");
    FUZZ_CHECK(s.number_of_frame_centre_offsets >= 0 && s.number_of_frame_centre_offsets <= 3, "centre offsets");
    for (int i = 0; i < 64; ++i) {
        FUZZ_CHECK(s.intra_quantiser_matrix[i] <= 255 && s.non_intra_quantiser_matrix[i] <= 255, "matrix entry");
        FUZZ_CHECK(s.chroma_intra_quantiser_matrix[i] <= 255 && s.chroma_non_intra_quantiser_matrix[i] <= 255,
                   "chroma matrix entry");
    }
    if (s.horizontal_size && s.vertical_size)
        FUZZ_CHECK(s.aspect_x > 0 && s.aspect_y >= 0, "aspect ratio");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    tl::test::ChunkSource source(data + 1, size - 1, chunkSize(data[0], size - 1));
    tl::BitReader reader;
    reader.source = &source;
    tl::StreamState state;
    tl::ResetStreamState(state);
    tl::ReferenceTime sampleTime = 1000, pendingTime = tl::kNoTime;
    bool secondField = true;
    const tl::HeaderLoopLinks links{&sampleTime, &pendingTime, &secondField};

    for (;;) {
        const tl::HResult r = tl::ParseHeaders(reader, state, links);
        checkReader(reader);
        // Also when a header is cut by the end of the input: the state outlives
        // the decoding run that ended there.
        checkState(state);
        if (r == tl::kBitstreamError) continue;  // the next call resynchronises
        if (r != tl::hr::ok) {
            FUZZ_CHECK(r == tl::hr::e_abort, "a failure other than the reader's end");
            break;
        }
        // The first slice of a picture is left in the window, unconsumed.
        FUZZ_CHECK(reader.count == 32 && (reader.cache >> 8) == 1, "no start code left in the window");
        const std::uint32_t code = reader.cache & 0xFF;
        FUZZ_CHECK(code >= tl::SLICE_START_CODE_FIRST && code <= tl::SLICE_START_CODE_LAST, "not a slice");
        reader.consumeStartCode();
    }
    return 0;
}
