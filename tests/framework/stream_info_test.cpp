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
    EXPECT_EQ(i.sizeX, 720);
    EXPECT_EQ(i.sizeY, 576);
    EXPECT_EQ(i.codedSizeY, 576);
    EXPECT_EQ(i.displaySizeX, 704);
    EXPECT_EQ(i.displaySizeY, 480);
    EXPECT_DOUBLE_EQ(i.frameRate, 30000.0 / 1001.0);
    EXPECT_EQ(i.bitRate, 8000000);
    EXPECT_EQ(i.profile, 4);
    EXPECT_EQ(i.level, 8);
    EXPECT_EQ(i.chromaFormat, 1);
    EXPECT_FALSE(i.progressiveSequence);
    EXPECT_FALSE(i.progressiveFrame);
    EXPECT_EQ(i.pictureStructure, 3);
    EXPECT_EQ(i.videoFormat, 2);
    EXPECT_EQ(i.colourPrimaries, 6);
    EXPECT_EQ(i.matrixCoefficients, 6);
    EXPECT_EQ(i.aspectRatioInformation, 2);
    EXPECT_EQ(i.gopHours, 1);
    EXPECT_EQ(i.gopMinutes, 2);
    EXPECT_EQ(i.gopSeconds, 3);
    EXPECT_EQ(i.gopPictures, 4);
    EXPECT_EQ(i.gopStructure, "I");
    EXPECT_EQ(i.numberOfFrameCentreOffsets, 2);
    EXPECT_EQ(i.frameCentreHorizontalOffset[1], 0xFFF1);
    EXPECT_EQ(i.frameCentreVerticalOffset[1], 32);
    EXPECT_EQ(i.errors, 1u);
    EXPECT_EQ(i.frameNum, 1u);
    EXPECT_EQ(i.deinterlace, 3);  // interlaced picture, Auto, interlace-capable output
    EXPECT_EQ(i.totalBytesRead, w.data().size());
}

}  // namespace
}  // namespace tl
