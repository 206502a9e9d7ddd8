#include "tests/support/corpus.h"

#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>

#include "tests/support/temp_file.h"

namespace tl::test {
namespace {

TEST(StreamInfoParse, ReadsTypedFields) {
    const auto info = parse_stream_info(
        "# comment\n"
        "file=x.m2v\r\n"
        "width=352\n"
        " height = 200 \n"
        "\n"
        "frame_rate=30000/1001\n"
        "display_aspect=4:3\n"
        "chroma=420\n"
        "frames=12\n"
        "picture_types=IBBPBBPBBPBB\n"
        "interlaced=1\n"
        "profile=Main\n",
        "x");
    EXPECT_EQ(info.width(), 352);
    EXPECT_EQ(info.height(), 200);
    EXPECT_EQ(info.frameRate().num, 30000);
    EXPECT_EQ(info.frameRate().den, 1001);
    ASSERT_TRUE(info.displayAspect().has_value());
    EXPECT_EQ(info.displayAspect()->num, 4);
    EXPECT_EQ(info.displayAspect()->den, 3);
    EXPECT_EQ(info.chroma(), 420);
    EXPECT_EQ(info.frames(), 12);
    EXPECT_EQ(info.pictureTypes(), "IBBPBBPBBPBB");
    EXPECT_TRUE(info.interlaced());
    EXPECT_FALSE(info.mpeg1());
    EXPECT_FALSE(info.programStream());
    EXPECT_EQ(info.text("profile"), "Main");
    EXPECT_FALSE(info.has("level"));
}

TEST(StreamInfoParse, OptionalFieldsMayBeAbsent) {
    const auto info = parse_stream_info("mpeg1=1\ncontainer=ps\nframes=0\n", "m");
    EXPECT_FALSE(info.displayAspect().has_value());
    EXPECT_TRUE(info.mpeg1());
    EXPECT_TRUE(info.programStream());
    EXPECT_EQ(info.pictureTypes(), "");
}

struct BadText {
    const char* text;
    const char* why;
};

const BadText kBadFiles[] = {
    {"width=352\nheight\n", "line without '='"},
    {"=352\n", "empty key"},
    {"width=352\nwidth=360\n", "repeated key"},
};

TEST(StreamInfoParse, RejectsMalformedFiles) {
    for (const auto& c : kBadFiles) {
        EXPECT_THROW(parse_stream_info(c.text, "bad"), std::runtime_error) << c.why;
    }
}

struct BadField {
    const char* text;
    void (*read)(const StreamInfo&);
};

const BadField kBadFields[] = {
    {"width=35x2\n", [](const StreamInfo& i) { i.width(); }},
    {"width=\n", [](const StreamInfo& i) { i.width(); }},
    {"width=352\n", [](const StreamInfo& i) { i.frames(); }},
    {"frame_rate=25\n", [](const StreamInfo& i) { i.frameRate(); }},
    {"frame_rate=25/0\n", [](const StreamInfo& i) { i.frameRate(); }},
    {"display_aspect=4/3\n", [](const StreamInfo& i) { i.displayAspect(); }},
};

TEST(StreamInfoParse, TypedAccessorsRejectMissingOrMalformedValues) {
    for (const auto& c : kBadFields) {
        const auto info = parse_stream_info(c.text, "bad");
        EXPECT_THROW(c.read(info), std::runtime_error) << c.text;
    }
}

void write_text(const TempFile& file, const std::string& text) {
    file.write(std::vector<std::uint8_t>(text.begin(), text.end()));
}

TEST(Md5Lines, ReadsOneDigestPerLine) {
    TempFile file(".md5");
    write_text(file, "d41d8cd98f00b204e9800998ecf8427e\n0cc175b9c0f1b6a831c399e269772661\n\n");
    const auto lines = read_md5_lines(file.path());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "0cc175b9c0f1b6a831c399e269772661");
}

TEST(Md5Lines, RejectsAnythingButLowercaseDigests) {
    for (const char* bad : {"D41D8CD98F00B204E9800998ECF8427E\n", "d41d8cd98f00b204e9800998ecf8427\n",
                            "0, 0, 0, 1, 12345, d41d8cd98f00b204e9800998ecf8427e\n"}) {
        TempFile file(".md5");
        write_text(file, bad);
        EXPECT_THROW(read_md5_lines(file.path()), std::runtime_error) << bad;
    }
}

TEST(TempFileTest, NamesAreDistinctAndRemovedAtScopeExit) {
    std::filesystem::path kept;
    {
        TempFile a(".m2v");
        TempFile b(".m2v");
        EXPECT_NE(a.path(), b.path());
        EXPECT_EQ(a.path().extension(), ".m2v");
        a.write({1, 2, 3});
        EXPECT_EQ(read_file_bytes(a.path()), (std::vector<std::uint8_t>{1, 2, 3}));
        kept = a.path();
    }
    EXPECT_FALSE(std::filesystem::exists(kept));
}

}  // namespace
}  // namespace tl::test
