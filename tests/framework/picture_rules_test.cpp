#include "engine/framework/picture_rules.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <tuple>

#include "convert/dispatch.h"
#include "engine/framework/damage_queue.h"
#include "engine/framework/deinterlace.h"
#include "engine/framework/picture_pool.h"

namespace tl {
namespace {

TEST(DeinterlaceChoice, Table) {
    // interlaced, always, setting, output interlace, software-bob renderer; the mode
    const std::tuple<bool, bool, int, bool, bool, int> cases[] = {
        {false, false, DEINTERLACE_WEAVE, true, false, DEINTERLACE_PROGRESSIVE},
        {false, true, DEINTERLACE_WEAVE, false, false, DEINTERLACE_WEAVE},
        {false, true, DEINTERLACE_AUTO, true, false, DEINTERLACE_PROGRESSIVE},
        {true, false, DEINTERLACE_SOFTWARE_BOB, true, false, DEINTERLACE_SOFTWARE_BOB},
        {true, false, DEINTERLACE_PROGRESSIVE, false, false, DEINTERLACE_PROGRESSIVE},
        {true, false, DEINTERLACE_AUTO, true, true, DEINTERLACE_HARDWARE_BOB},
        {true, false, DEINTERLACE_AUTO, false, true, DEINTERLACE_SOFTWARE_BOB},
        {true, false, DEINTERLACE_AUTO, false, false, DEINTERLACE_SOFTWARE_BOB_DOUBLE_RATE},
    };
    for (const auto& [interlaced, always, setting, outputInterlace, softwareBobRenderer, mode] : cases)
        EXPECT_EQ(ChooseDeinterlaceMode(interlaced, always, setting, outputInterlace, softwareBobRenderer),
                  mode)
            << interlaced << always << setting << outputInterlace << softwareBobRenderer;
}

TEST(OutputFormatCode, Table) {
    // subtype, compression, bit count, VIDEOINFOHEADER2; the code and bits per pixel (-1: left unchanged)
    const std::tuple<OutputSubtype, std::uint32_t, std::uint16_t, bool, std::int32_t, std::int32_t> cases[] = {
        {OutputSubtype::YUY2, 0x32595559, 16, true, OUTPUT_YUY2, 16},
        {OutputSubtype::RGB32, kBiRgb, 32, true, OUTPUT_RGB32, 32},
        {OutputSubtype::RGB565, kBiBitfields, 16, true, OUTPUT_RGB565, 16},
        {OutputSubtype::RGB555, kBiRgb, 16, true, OUTPUT_RGB555, 16},
        {OutputSubtype::Planar, 0, 12, true, OUTPUT_PLANAR, 12},
        {OutputSubtype::Other, kBiBitfields, 16, true, OUTPUT_RGB565, 16},
        {OutputSubtype::Other, kBiBitfields, 15, true, OUTPUT_RGB555, 16},
        {OutputSubtype::Other, kBiRgb, 24, true, OUTPUT_RGB24, 24},
        {OutputSubtype::Other, kBiRgb, 32, true, OUTPUT_RGB32, 32},
        {OutputSubtype::Other, kBiRgb, 8, true, -1, -1},
        {OutputSubtype::Other, 0x32595559, 16, true, -1, -1},
        {OutputSubtype::YUY2, 0, 16, false, -1, -1},
        {OutputSubtype::DxvaModeA, 0x3044564E, 16, true, -1, -1},
    };
    for (const auto& [subtype, compression, bitCount, videoInfo2, code, bitsPerPixel] : cases) {
        const OutputFormat f{subtype, videoInfo2, 0, 0, bitCount, compression};
        std::int32_t derivedCode = -1, derivedBits = -1;
        const bool derived = DeriveOutputFormat(f, &derivedCode, &derivedBits);
        EXPECT_EQ(std::make_tuple(derived, derivedCode, derivedBits), std::make_tuple(code != -1, code, bitsPerPixel))
            << int(subtype) << " " << bitCount;
    }
}

// Field pictures take their field order from the first field; progressive
// sequences have none; the rate divides the period with truncation.
TEST(PictureTiming, FieldOrderAndRate) {
    StreamState s;
    const std::array<int, 4> cases[] = {  // progressive_sequence, top_field_first, picture_structure, field order
        {0, 0, TOP_FIELD, 1}, {0, 1, BOTTOM_FIELD, 0}, {0, 1, FRAME_PICTURE, 1}, {1, 1, FRAME_PICTURE, 0}};
    for (const auto& [progressive, topFirst, structure, expected] : cases) {
        s.progressive_sequence = progressive;
        s.top_field_first = topFirst;
        s.picture_structure = structure;
        EXPECT_EQ(ComputePictureTiming(s, 1.0).topFieldFirst, expected) << progressive << topFirst << structure;
    }
    s.frame_period = 333666;
    EXPECT_EQ(ComputePictureTiming(s, 3.0).duration, 111222);
    EXPECT_EQ(ComputePictureTiming(s, 0.7).duration, 476665);
}

TEST(DamageQueue, MergeTable) {
    // the queue, the rectangle added, the queue afterwards
    const std::tuple<std::vector<DamageRect>, DamageRect, std::vector<DamageRect>> cases[] = {
        {{}, {1, 2, 3, 4}, {{0, 2, 4, 4}}},
        {{}, {-3, 0, 5, 1}, {{-4, 0, 8, 1}}},
        {{}, {4, 0, 4, 10}, {}},           // empty
        {{}, {5, 5, 7, 5}, {}},            // zero height
        {{{0, 0, 8, 8}}, {8, 0, 16, 8}, {{0, 0, 8, 8}, {8, 0, 16, 8}}},  // touching is not overlapping
        {{{0, 0, 8, 8}}, {7, 0, 16, 8}, {{0, 0, 16, 8}}},                // 7 rounds down to 4
        {{{0, 0, 4, 4}, {20, 0, 24, 4}, {8, 8, 12, 12}}, {2, 2, 22, 10}, {{0, 0, 24, 12}}},
        // Growing into a rectangle already passed restarts the scan.
        {{{0, 20, 4, 24}, {0, 0, 4, 12}}, {0, 10, 4, 21}, {{0, 0, 4, 24}}},
    };
    for (const auto& [before, added, after] : cases) {
        std::vector<DamageRect> q = before;
        MergeDamageRect(q, added);
        EXPECT_EQ(q, after) << added.left << "," << added.top << "," << added.right << "," << added.bottom;
    }
}

TEST(PicturePool, PlanesAlignedSizedAndStrided) {
    StreamState s;
    s.chroma_format = CHROMA_422;
    s.coded_width = 720;
    s.chroma_width = 360;
    s.coded_height = s.chroma_height = 576;
    PicturePool pool;
    ASSERT_TRUE(pool.allocate(kSoftwarePictureCount, s));
    ASSERT_EQ(pool.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        const Picture& p = *pool.order()[std::size_t(i)];
        EXPECT_EQ(std::make_tuple(p.index, p.referenceCount, p.time, p.lumaStride, p.chromaStride, p.chromaFormat,
                                  p.lumaSize),
                  std::make_tuple(i, 0, kNoTime, 720, 360, CHROMA_422, 720 * 576));
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p.planes[c]) % 256, 0u);
            // The coded area plus one row of spare lies inside the allocation.
            const int width = c ? 360 : 720;
            EXPECT_LE(p.planes[c] + std::size_t(width) * (576 + 1),
                      static_cast<const std::uint8_t*>(p.planeAllocations[c]) + PlaneAllocationSize(width, 576));
        }
    }
}

// Records of a 16x16 4:2:0 stream. A record is painted black when first handed
// out, and free records handed out before are reused ahead of those never handed
// out, whose memory stays untouched; among free records the least recently used
// comes first.
TEST(PicturePool, FreeChoiceFollowsLastUseAndFreshRecordsAreBlack) {
    StreamState s;
    s.coded_width = s.coded_height = 16;
    s.chroma_width = s.chroma_height = 8;
    PicturePool pool;
    ASSERT_TRUE(pool.allocate(3, s));
    Picture* a = pool.takeFree();
    EXPECT_EQ(std::make_tuple(a->index, a->planes[0][0], a->planes[0][16 * 16 - 1], a->planes[2][8 * 8 - 1]),
              std::make_tuple(0, 16, 16, 128));
    a->planes[0][0] = 99;
    EXPECT_EQ(pool.takeFree(), a);  // still free: handed out again, as it was left
    EXPECT_EQ(a->planes[0][0], 99);
    a->referenceCount = 1;
    Picture* b = pool.takeFree();
    EXPECT_EQ(std::make_tuple(b->index, b->planes[1][0], pool.order()[0]->unpainted), std::make_tuple(1, 128, 1));
    b->referenceCount = 1;
    Picture* c = pool.takeFree();
    EXPECT_EQ(c->index, 2);
    c->referenceCount = 1;
    EXPECT_EQ(pool.takeFree(), nullptr);
    b->referenceCount = 0;
    a->referenceCount = 0;
    pool.moveToBack(b);  // b used more recently than a
    EXPECT_EQ(pool.takeFree(), a);
    EXPECT_EQ(pool.order().back(), a);
}

}  // namespace
}  // namespace tl
