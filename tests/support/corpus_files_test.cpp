// The committed corpus keeps its promises: every .info names an existing stream and
// agrees with its .md5, so decoder tests can trust both without re-checking.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tests/support/corpus.h"

namespace tl::test {
namespace {

TEST(CorpusFiles, EveryStreamIsDescribedConsistently) {
    const auto streams = list_streams();
    ASSERT_FALSE(streams.empty()) << "no .info files in " << corpus_dir();
    for (const auto& s : streams) {
        SCOPED_TRACE(s.name);
        EXPECT_TRUE(std::filesystem::is_regular_file(s.streamPath()));
        EXPECT_GT(s.width(), 0);
        EXPECT_GT(s.height(), 0);
        EXPECT_GT(s.frameRate().num, 0);
        EXPECT_TRUE(s.chroma() == 420 || s.chroma() == 422 || s.chroma() == 444);
        const auto digests = read_md5_lines(s.md5Path());
        EXPECT_EQ(int(digests.size()), s.frames());
        EXPECT_EQ(int(s.pictureTypes().size()), s.frames());
        EXPECT_EQ(s.pictureTypes().find_first_not_of("IPB"), std::string::npos);
        if (s.mpeg1()) {
            EXPECT_EQ(s.frames(), 0);
        } else {
            ASSERT_GT(s.frames(), 0);
            EXPECT_EQ(s.pictureTypes()[0], 'I');
        }
    }
}

// Tests elsewhere pick streams by what they cover; losing one of these silently
// would leave a coding tool untested.
TEST(CorpusFiles, CoversTheStreamKindsTestsRelyOn) {
    std::set<std::string> names;
    bool interlaced = false, progressive = false, chroma422 = false, programStream = false, mpeg1 = false;
    for (const auto& s : list_streams()) {
        names.insert(s.name);
        interlaced |= s.interlaced() && !s.mpeg1();
        progressive |= !s.interlaced() && !s.mpeg1();
        chroma422 |= s.chroma() == 422;
        programStream |= s.programStream();
        mpeg1 |= s.mpeg1();
    }
    EXPECT_TRUE(interlaced && progressive && chroma422 && programStream && mpeg1);
    for (const char* name : {"dualprime", "pulldown32", "altscan", "intravlc", "nonlinear_q", "custom_matrix",
                             "size331x249", "hd1080i", "escapes", "multiseq"}) {
        EXPECT_EQ(names.count(name), 1u) << name;
    }
}

}  // namespace
}  // namespace tl::test
