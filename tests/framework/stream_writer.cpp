#include "tests/framework/stream_writer.h"

namespace tl::test {

void writeSequenceHeader(BitWriter& w, const SequenceFields& f) {
    w.startCode(0xB3);
    w.put(std::uint32_t(f.width), 12);
    w.put(std::uint32_t(f.height), 12);
    w.put(std::uint32_t(f.aspect), 4);
    w.put(std::uint32_t(f.frameRateCode), 4);
    w.put(std::uint32_t(f.bitRate), 18);
    w.put(1, 1);
    w.put(std::uint32_t(f.vbv), 10);
    w.put(0, 1);
    w.put(f.intraMatrix != nullptr, 1);
    if (f.intraMatrix)
        for (int i = 0; i < 64; ++i) w.put(f.intraMatrix[i], 8);
    w.put(f.nonIntraMatrix != nullptr, 1);
    if (f.nonIntraMatrix)
        for (int i = 0; i < 64; ++i) w.put(f.nonIntraMatrix[i], 8);
}

void writeSequenceExtension(BitWriter& w, const SequenceExtensionFields& f) {
    w.startCode(0xB5);
    w.put(1, 4);
    w.put(std::uint32_t(f.profileAndLevel), 8);
    w.put(f.progressive, 1);
    w.put(std::uint32_t(f.chromaFormat), 2);
    w.put(std::uint32_t(f.horizontalExtension), 2);
    w.put(std::uint32_t(f.verticalExtension), 2);
    w.put(std::uint32_t(f.bitRateExtension), 12);
    w.put(1, 1);
    w.put(std::uint32_t(f.vbvExtension), 8);
    w.put(f.lowDelay, 1);
    w.put(std::uint32_t(f.frameRateN), 2);
    w.put(std::uint32_t(f.frameRateD), 5);
}

void writeSequenceDisplayExtension(BitWriter& w, const DisplayExtensionFields& f) {
    w.startCode(0xB5);
    w.put(2, 4);
    w.put(std::uint32_t(f.videoFormat), 3);
    w.put(f.colourDescription, 1);
    if (f.colourDescription) {
        w.put(std::uint32_t(f.colourPrimaries), 8);
        w.put(std::uint32_t(f.transferCharacteristics), 8);
        w.put(std::uint32_t(f.matrixCoefficients), 8);
    }
    w.put(std::uint32_t(f.displayWidth), 14);
    w.put(1, 1);
    w.put(std::uint32_t(f.displayHeight), 14);
}

void writeGroupOfPictures(BitWriter& w, const GopFields& f) {
    w.startCode(0xB8);
    w.put(0, 1);
    w.put(std::uint32_t(f.hours), 5);
    w.put(std::uint32_t(f.minutes), 6);
    w.put(1, 1);
    w.put(std::uint32_t(f.seconds), 6);
    w.put(std::uint32_t(f.pictures), 6);
    w.put(f.closedGop, 1);
    w.put(0, 1);
}

void writePicture(BitWriter& w, int pictureCodingType, const PictureCodingFields& f) {
    w.startCode(0x00);
    w.put(0, 10);
    w.put(std::uint32_t(pictureCodingType), 3);
    w.put(0xFFFF, 16);  // vbv_delay
    if (pictureCodingType == 2 || pictureCodingType == 3) w.put(0x7, 4);
    if (pictureCodingType == 3) w.put(0x7, 4);
    w.put(0, 1);
    w.startCode(0xB5);
    w.put(8, 4);
    w.put(pictureCodingType == 1 ? 0xFFFF : 0x1111, 16);
    w.put(std::uint32_t(f.intraDcPrecision), 2);
    w.put(std::uint32_t(f.pictureStructure), 2);
    w.put(f.topFieldFirst, 1);
    w.put(f.framePredFrameDct, 1);
    w.put(0, 1);
    w.put(0, 1);
    w.put(0, 1);
    w.put(0, 1);
    w.put(f.repeatFirstField, 1);
    w.put(1, 1);
    w.put(f.progressiveFrame, 1);
    w.put(0, 1);
}

void writeSlice(BitWriter& w, int verticalPosition) {
    w.startCode(std::uint8_t(verticalPosition));
    w.bytes({0x12, 0x34, 0x56, 0x78});
}

void writeSequenceEnd(BitWriter& w) { w.startCode(0xB7); }

std::vector<std::vector<std::uint8_t>> buildPictureSamples(const char* codedTypes, const StreamShape& shape) {
    std::vector<std::vector<std::uint8_t>> samples;
    for (int i = 0; codedTypes[i]; ++i) {
        BitWriter w;
        const char t = codedTypes[i];
        if (i == 0 || t == 'I') {
            writeSequenceHeader(w, shape.sequence);
            writeSequenceExtension(w, shape.extension);
            writeGroupOfPictures(w, GopFields{});
        }
        const int type = t == 'I' ? 1 : t == 'P' ? 2 : 3;
        if (shape.fieldPairs) {
            PictureCodingFields field = shape.coding;
            for (int structure : {1, 2}) {
                field.pictureStructure = structure;
                writePicture(w, type, field);
                writeSlice(w, 1);
            }
        } else {
            writePicture(w, type, shape.coding);
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
