#include "tests/framework/stream_writer.h"

namespace tl::test {

void writeSequenceHeader(BitWriter& w, const SequenceFields& f) {
    w.startCode(0xB3);
    w.put({{f.width, 12}, {f.height, 12}, {f.aspect, 4}, {f.frameRateCode, 4}, {f.bitRate, 18}, {1, 1}, {f.vbv, 10},
           {0, 1}});
    for (const std::uint8_t* matrix : {f.intraMatrix, f.nonIntraMatrix}) {
        w.put(matrix != nullptr, 1);
        for (int i = 0; matrix && i < 64; ++i) w.put(matrix[i], 8);
    }
}

void writeSequenceExtension(BitWriter& w, const SequenceExtensionFields& f) {
    w.startCode(0xB5);
    w.put({{1, 4}, {f.profileAndLevel, 8}, {f.progressive, 1}, {f.chromaFormat, 2}, {f.horizontalExtension, 2},
           {f.verticalExtension, 2}, {f.bitRateExtension, 12}, {1, 1}, {f.vbvExtension, 8}, {f.lowDelay, 1},
           {f.frameRateN, 2}, {f.frameRateD, 5}});
}

void writeSequenceDisplayExtension(BitWriter& w, const DisplayExtensionFields& f) {
    w.startCode(0xB5);
    w.put({{2, 4}, {f.videoFormat, 3}, {f.colourDescription, 1}});
    if (f.colourDescription) w.put({{f.colourPrimaries, 8}, {f.transferCharacteristics, 8}, {f.matrixCoefficients, 8}});
    w.put({{f.displayWidth, 14}, {1, 1}, {f.displayHeight, 14}});
}

void writeGroupOfPictures(BitWriter& w, const GopFields& f) {
    w.startCode(0xB8);
    w.put({{0, 1}, {f.hours, 5}, {f.minutes, 6}, {1, 1}, {f.seconds, 6}, {f.pictures, 6}, {f.closedGop, 1}, {0, 1}});
}

void writePicture(BitWriter& w, int pictureCodingType, const PictureCodingFields& f) {
    w.startCode(0x00);
    w.put({{0, 10}, {pictureCodingType, 3}, {0xFFFF, 16}});  // temporal reference 0, vbv_delay
    for (int code = 2; code <= pictureCodingType; ++code) w.put(0x7, 4);  // forward (P, B) and backward (B) f_code
    w.put(0, 1);
    w.startCode(0xB5);
    // f_codes, then the coding extension's flags; concealment vectors, q_scale_type,
    // intra_vlc_format and alternate_scan off, chroma_420_type on.
    w.put({{8, 4}, {pictureCodingType == 1 ? 0xFFFF : 0x1111, 16}, {f.intraDcPrecision, 2}, {f.pictureStructure, 2},
           {f.topFieldFirst, 1}, {f.framePredFrameDct, 1}, {0, 4}, {f.repeatFirstField, 1}, {1, 1},
           {f.progressiveFrame, 1}, {0, 1}});
}

void writeSlice(BitWriter& w, int verticalPosition) {
    w.startCode(std::uint8_t(verticalPosition));
    w.bytes({0x12, 0x34, 0x56, 0x78});
}

void writeSequenceEnd(BitWriter& w) { w.startCode(0xB7); }

void writeQuantMatrixExtension(BitWriter& w, std::initializer_list<int> firsts, int step) {
    w.startCode(0xB5);
    w.put(3, 4);
    for (int first : firsts) {
        w.put(first >= 0, 1);
        for (int i = 0; first >= 0 && i < 64; ++i) w.put(std::uint32_t(first + step * i), 8);
    }
}

std::vector<std::vector<std::uint8_t>> buildPictureSamples(const char* codedTypes, const StreamShape& shape) {
    std::vector<std::vector<std::uint8_t>> samples;
    for (int i = 0; codedTypes[i]; ++i) {
        BitWriter w;
        const char t = codedTypes[i];
        if (i == 0 || t == 'I') {
            writeSequenceHeader(w, shape.sequence);
            writeSequenceExtension(w, shape.extension);
            if (shape.display) writeSequenceDisplayExtension(w, *shape.display);
            writeGroupOfPictures(w, GopFields{});
        }
        const int type = t == 'I' ? 1 : t == 'P' ? 2 : 3;
        PictureCodingFields coding = shape.coding;
        for (int field = 1; field <= (shape.fieldPairs ? 2 : 1); ++field) {
            if (shape.fieldPairs) coding.pictureStructure = field;  // top, then bottom
            writePicture(w, type, coding);
            writeSlice(w, 1);
        }
        if (!codedTypes[i + 1]) writeSequenceEnd(w);
        samples.push_back(w.data());
    }
    return samples;
}

std::vector<std::uint8_t> buildStream(const char* codedTypes, const StreamShape& shape) {
    std::vector<std::uint8_t> out;
    for (const auto& s : buildPictureSamples(codedTypes, shape)) out.insert(out.end(), s.begin(), s.end());
    return out;
}

}  // namespace tl::test
