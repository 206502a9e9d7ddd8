// What the decoder reports through its stream-information snapshot.
#include <gtest/gtest.h>

#include "tests/framework/decoder_rig.h"

namespace tl {
namespace {

using test::DecoderRig;

TEST(StreamInformation, AfterAStream) {
    test::BitWriter w;
    test::writeSequenceHeader(w, {720, 576, 2, 4, 20000});  // frame_rate_code 4
    test::writeSequenceExtension(w, {0x48, false});  // interlaced
    // Video format 2, colour primaries 6, transfer 1, matrix 6, display 704 x 480.
    test::writeSequenceDisplayExtension(w, {2, true, 6, 1, 6, 704, 480});
    w.startCode(0xB5);  // an extension nobody knows
    w.put(12, 4);
    test::writeGroupOfPictures(w, {1, 2, 3, 4, true});
    test::writePicture(w, 1, {3, true, false, false});  // top field first, interlaced frame
    w.startCode(0xB5);  // picture display extension: two offsets for an interlaced frame
    w.put(7, 4);
    for (int k = 0; k < 2; ++k) w.put({{0xFFF0 + k, 16}, {1, 1}, {16 * (k + 1), 16}, {1, 1}});
    test::writeSlice(w, 1);
    test::writeSequenceEnd(w);

    DecoderRig rig;
    rig.host.format.interlaceFlags = 1;
    rig.initAndPlay({w.data()});
    const StreamInfo i = rig.decoder.streamInfo();
    const std::vector<std::int64_t> got = {
        i.sizeX, i.sizeY, i.codedSizeY, i.displaySizeX, i.displaySizeY, i.bitRate, i.profile, i.level,
        i.chromaFormat, i.progressiveSequence, i.progressiveFrame, i.pictureStructure, i.videoFormat,
        i.colourPrimaries, i.matrixCoefficients, i.aspectRatioInformation, i.gopHours, i.gopMinutes, i.gopSeconds,
        i.gopPictures, i.numberOfFrameCentreOffsets, i.frameCentreHorizontalOffset[1], i.frameCentreVerticalOffset[1],
        i.errors, i.frameNum, i.deinterlace, std::int64_t(i.totalBytesRead)};
    // deinterlace 3: an interlaced picture, Auto, an interlace-capable output; one error: the unknown extension.
    EXPECT_EQ(got, (std::vector<std::int64_t>{720, 576, 576, 704, 480, 8000000, 4, 8, 1, 0, 0, 3, 2, 6, 6, 2, 1, 2,
                                              3, 4, 2, 0xFFF1, 32, 1, 1, 3, std::int64_t(w.data().size())}));
    EXPECT_DOUBLE_EQ(i.frameRate, 30000.0 / 1001.0);
    EXPECT_EQ(i.gopStructure, "I");
}

}  // namespace
}  // namespace tl
