#include "tools/common/md5.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tl::test {

using tools::Md5;
using tools::md5_hex;
using tools::to_hex;
namespace {

struct TextCase {
    const char* message;
    const char* digest;
};

// The test suite of RFC 1321, appendix A.5.
const TextCase kRfcSuite[] = {
    {"", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
     "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
};

TEST(Md5, RfcSuite) {
    for (const auto& c : kRfcSuite) {
        EXPECT_EQ(md5_hex(c.message, std::string(c.message).size()), c.digest) << '"' << c.message << '"';
    }
}

struct LengthCase {
    std::size_t length;
    const char* digest;
};

// Lengths around the 56-byte padding limit and the 64-byte block, where padding
// needs one or two extra blocks. Message byte i is (7 * i) mod 256.
const LengthCase kBoundaries[] = {
    {55, "8d24280288a696559fd8d5aa1b6d8c6e"},   {56, "ef2c72b7254c92459e498eddd4ace573"},
    {57, "5e319059f1ba9373988437b589fb9f21"},   {63, "c4c8c6d513f4e1604eb18508a1769364"},
    {64, "a2fcb39a253b9b785b1f97518fa37683"},   {65, "e49fe82d0bb12967a196c85de313e446"},
    {119, "1640deea49ebb258ec6ede18d4b2d2d7"},  {120, "05f879f7b542a7ebf0605adff67d4423"},
    {121, "e0f6fa39103fd65edca11dd1b4b06888"},  {128, "fe942895e9aae953f3e246e5fd00739d"},
    {1000, "de809ff794e91b68f9e91a2b7030bcb0"}, {100000, "8cb7f568752be648376cd32a342006af"},
};

std::vector<std::uint8_t> pattern(std::size_t length) {
    std::vector<std::uint8_t> bytes(length);
    for (std::size_t i = 0; i < length; ++i) {
        bytes[i] = std::uint8_t(i * 7);
    }
    return bytes;
}

TEST(Md5, BlockAndPaddingBoundaries) {
    for (const auto& c : kBoundaries) {
        const auto bytes = pattern(c.length);
        EXPECT_EQ(md5_hex(bytes.data(), bytes.size()), c.digest) << c.length << " bytes";
    }
}

// Pictures are hashed row by row, so pieces of every size must give the digest of
// the whole: this exercises the carry-over of partial blocks between updates.
TEST(Md5, PiecewiseUpdatesMatchOneShot) {
    const auto bytes = pattern(1000);
    for (std::size_t piece : {1u, 3u, 55u, 63u, 64u, 65u, 127u, 999u}) {
        Md5 md5;
        for (std::size_t done = 0; done < bytes.size(); done += piece) {
            md5.update(bytes.data() + done, std::min(piece, bytes.size() - done));
        }
        EXPECT_EQ(to_hex(md5.finish()), "de809ff794e91b68f9e91a2b7030bcb0") << "pieces of " << piece;
    }
}

TEST(Md5, FinishResetsForTheNextMessage) {
    Md5 md5;
    md5.update("abc", 3);
    md5.finish();
    md5.update("a", 1);
    EXPECT_EQ(to_hex(md5.finish()), "0cc175b9c0f1b6a831c399e269772661");
}

}  // namespace
}  // namespace tl::test
