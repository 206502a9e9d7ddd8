#include "tests/framework/syntax_streams.h"

#include "tests/framework/stream_writer.h"

namespace tl::test {
namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 64;
constexpr int kMbWidth = kWidth / 16;

enum PictureType { I = 1, P = 2, B = 3 };
enum Structure { TopField = 1, BottomField = 2, Frame = 3 };
enum MotionType { FieldMotion = 1, Motion16x8 = 2, DualPrime = 3 };

struct Layout {
    int chromaFormat;  // 1 4:2:0, 2 4:2:2, 3 4:4:4
    int chromaBlocks() const { return chromaFormat == 1 ? 2 : chromaFormat == 2 ? 4 : 8; }
};

// dct_dc_size 1, a DC differential of +1 ('1'), one AC coefficient (run 0,
// level 1), end of block; the codes of the tables for intra_vlc_format 0.
void intraBlock(BitWriter& w, bool luma) { w.bits(luma ? "00 1 110 10" : "01 1 110 10"); }

void intraMacroblock(BitWriter& w, const Layout& l) {
    for (int b = 0; b < 4; ++b) intraBlock(w, true);
    for (int b = 0; b < l.chromaBlocks(); ++b) intraBlock(w, false);
}

// coded_block_pattern with only the first luma block coded, and that block one
// coefficient (first code of a non-intra block: run 0, level -1).
void codedPattern(BitWriter& w, const Layout& l) {
    w.bits("1010");  // pattern 32
    if (l.chromaFormat == 2) w.put(0, 2);
    if (l.chromaFormat == 3) w.put(0, 6);
    w.bits("11 10");
}

// Zero vectors (motion_code '1'); dual prime adds a zero dmvector per component.
void vector(BitWriter& w, bool dualPrime) { w.bits(dualPrime ? "1 0  1 0" : "1  1"); }

void vectors(BitWriter& w, Structure s, MotionType m, int selectBit) {
    if (s == Frame) {  // frame_pred_frame_dct: one frame vector
        vector(w, false);
    } else if (m == Motion16x8) {
        for (int half = 0; half < 2; ++half) {
            w.put(std::uint32_t(selectBit ^ half), 1);
            vector(w, false);
        }
    } else {
        if (m != DualPrime) w.put(std::uint32_t(selectBit), 1);
        vector(w, m == DualPrime);
    }
}

void motionMacroblock(BitWriter& w, int type, Structure s, MotionType m, int column, const Layout& l) {
    const bool coded = column % 2 == 0;
    if (type == P) w.bits(coded ? "1" : "001");
    else w.bits(coded ? "11" : "10");  // interpolated
    if (s != Frame) w.put(std::uint32_t(m), 2);
    vectors(w, s, m, column & 1);
    if (type == B) vectors(w, s, m, (column >> 1) & 1);
    if (coded) codedPattern(w, l);
}

// Dual prime derives a vector half a line up (top field) or down (bottom
// field), which leaves the picture in a field's first or last macroblock row;
// `dualPrimeAtEdges` false puts field motion there instead.
void picture(BitWriter& w, int type, Structure s, bool topFirst, int dcPrecision, int mbRows, const Layout& l,
             bool matrices = false, bool dualPrimeAtEdges = true) {
    // Structure, top_field_first, repeat_first_field, progressive_frame, frame_pred_frame_dct, DC precision.
    writePicture(w, type, {s, topFirst, false, s == Frame, s == Frame, dcPrecision});
    if (matrices) writeQuantMatrixExtension(w, {8, 13, 18, 23}, 1);  // all four, the chroma ones distinct
    for (int row = 0; row < mbRows; ++row) {
        w.startCode(std::uint8_t(row + 1));
        w.put(8, 5);  // quantiser_scale_code
        w.put(0, 1);
        for (int column = 0; column < kMbWidth; ++column) {
            w.bits("1");  // macroblock_address_increment 1
            if (type == I) {
                w.bits("1");
                intraMacroblock(w, l);
                continue;
            }
            // Dual prime needs a P field; B fields alternate field and 16x8.
            const int kinds = type == P ? 3 : 2;
            MotionType m = MotionType(1 + (column + row) % kinds);
            if (m == DualPrime && !dualPrimeAtEdges && (row == 0 || row == mbRows - 1)) m = FieldMotion;
            motionMacroblock(w, type, s, m, column, l);
        }
    }
}

void sequence(BitWriter& w, const Layout& l, bool progressive, int height = kHeight) {
    writeSequenceHeader(w, {kWidth, height});
    writeSequenceExtension(w, {l.chromaFormat == 1 ? 0x48 : 0x85, progressive, l.chromaFormat});  // profile and level
    writeGroupOfPictures(w, GopFields{});
}

std::vector<std::uint8_t> fieldPairs(bool topFirst, int height, bool dualPrimeAtEdges) {
    const Layout l{1};
    BitWriter w;
    sequence(w, l, false, height);
    const Structure first = topFirst ? TopField : BottomField;
    const Structure second = topFirst ? BottomField : TopField;
    for (int type : {I, P, B, P, B})
        for (Structure s : {first, second}) picture(w, type, s, topFirst, 1, height / 32, l, false, dualPrimeAtEdges);
    return w.finish();
}

}  // namespace

std::vector<std::uint8_t> fieldStream(bool topFirst) { return fieldPairs(topFirst, kHeight, true); }

std::vector<std::uint8_t> fieldStreamInside(bool topFirst) { return fieldPairs(topFirst, 96, false); }

std::vector<std::uint8_t> chromaStream(int chromaFormat) {
    const Layout l{chromaFormat};
    BitWriter w;
    sequence(w, l, true);
    for (int type : {I, P, B})
        picture(w, type, Frame, false, chromaFormat == 3 ? 3 : 2, kHeight / 16, l, type == I);
    return w.finish();
}

}  // namespace tl::test
