// What the decoder reports through its stream-information snapshot.
#include <gtest/gtest.h>

#include "tests/framework/decoder_rig.h"

namespace tl {
namespace {

using test::DecoderRig;

TEST(StreamInformation, AfterAStream) {
    test::BitWriter w;
    test::SequenceFields seq;
    seq.frameRateCode = 4;
    seq.bitRate = 20000;
    test::writeSequenceHeader(w, seq);
    test::SequenceExtensionFields ext;
    ext.profileAndLevel = 0x48;
    ext.progressive = false;
    test::writeSequenceExtension(w, ext);
    test::DisplayExtensionFields display;
    display.videoFormat = 2;
    display.colourDescription = true;
    display.colourPrimaries = 6;
    display.matrixCoefficients = 6;
    display.displayWidth = 704;
    display.displayHeight = 480;
    test::writeSequenceDisplayExtension(w, display);
    w.startCode(0xB5);  // an extension nobody knows
    w.put(12, 4);
    test::writeGroupOfPictures(w, {1, 2, 3, 4, true});
    test::PictureCodingFields coding;
    coding.progressiveFrame = false;
    coding.topFieldFirst = true;
    test::writePicture(w, 1, coding);
    w.startCode(0xB5);  // picture display extension: two offsets for an interlaced frame
    w.put(7, 4);
    for (int k = 0; k < 2; ++k) w.put({{0xFFF0 + k, 16}, {1, 1}, {16 * (k + 1), 16}, {1, 1}});
    test::writeSlice(w, 1);
    test::writeSequenceEnd(w);

    DecoderRig rig;
    rig.host.format.interlaceFlags = 1;
    rig.init();
    rig.play({w.data()});
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
