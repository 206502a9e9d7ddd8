// Builds small MPEG-2 video elementary streams bit by bit: the headers the
// framework parses and slices whose contents the tests' decoding path skips.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "tests/support/bit_writer.h"

namespace tl::test {

struct SequenceFields {
    int width = 720, height = 576;
    int aspect = 2, frameRateCode = 3;
    int bitRate = 20000, vbv = 112;
    const std::uint8_t* intraMatrix = nullptr;     // 64 values in zig-zag order, or default
    const std::uint8_t* nonIntraMatrix = nullptr;  // likewise
};

struct SequenceExtensionFields {
    int profileAndLevel = 0x48;
    bool progressive = true;
    int chromaFormat = 1;
    int horizontalExtension = 0, verticalExtension = 0;
    int bitRateExtension = 0, vbvExtension = 0;
    bool lowDelay = false;
    int frameRateN = 0, frameRateD = 0;
};

struct DisplayExtensionFields {
    int videoFormat = 5;
    bool colourDescription = false;
    int colourPrimaries = 1, transferCharacteristics = 1, matrixCoefficients = 1;
    int displayWidth = 0, displayHeight = 0;
};

struct GopFields {
    int hours = 0, minutes = 0, seconds = 0, pictures = 0;
    bool closedGop = true;
};

struct PictureCodingFields {
    int pictureStructure = 3;
    bool topFieldFirst = false, repeatFirstField = false;
    bool progressiveFrame = true, framePredFrameDct = true;
    int intraDcPrecision = 0;  // 0..3: 8 to 11 bits
};

void writeSequenceHeader(BitWriter& w, const SequenceFields& f);
void writeSequenceExtension(BitWriter& w, const SequenceExtensionFields& f);
void writeSequenceDisplayExtension(BitWriter& w, const DisplayExtensionFields& f);
void writeGroupOfPictures(BitWriter& w, const GopFields& f);
// Picture header and picture coding extension.
void writePicture(BitWriter& w, int pictureCodingType, const PictureCodingFields& f);
// One slice start code with a few bytes that contain no start code.
void writeSlice(BitWriter& w, int verticalPosition);
void writeSequenceEnd(BitWriter& w);
// A quantiser matrix extension: for each entry a matrix whose value i is
// first + step * i, or (a negative first) no matrix.
void writeQuantMatrixExtension(BitWriter& w, std::initializer_list<int> firsts, int step = 0);

// A stream from a coded-order string of picture types ("IPBB..."), one slice
// per picture. A sequence header (with extension) and a GOP header precede
// the first picture and every I picture after the first, with a display
// extension when one is given. With fieldPairs each letter gives a top and a
// bottom field picture of that type.
struct StreamShape {
    SequenceFields sequence;
    SequenceExtensionFields extension;
    PictureCodingFields coding;
    bool fieldPairs = false;
    const DisplayExtensionFields* display = nullptr;
};
// One byte string per letter; the last one ends with a sequence end code.
std::vector<std::vector<std::uint8_t>> buildPictureSamples(const char* codedTypes, const StreamShape& shape = {});
std::vector<std::uint8_t> buildStream(const char* codedTypes, const StreamShape& shape = {});

}  // namespace tl::test
