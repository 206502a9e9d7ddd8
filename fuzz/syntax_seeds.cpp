// Writes small elementary streams with the syntax our stream corpus lacks
// (tests/framework/syntax_streams.h), so the fuzzers start from inside these
// paths rather than having to find them.
//
// usage: fuzz_syntax_seeds OUTPUT_DIR   (writes OUTPUT_DIR/<name>.m2v)
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "tests/framework/syntax_streams.h"

namespace {

using tl::test::chromaStream;
using tl::test::fieldStream;

bool write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_syntax_seeds OUTPUT_DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    const std::pair<const char*, std::vector<std::uint8_t>> streams[] = {
        {"fields_tff", fieldStream(true)},
        {"fields_bff", fieldStream(false)},
        {"chroma422_dc10", chromaStream(2)},
        {"chroma444_dc11", chromaStream(3)},
    };
    for (const auto& [name, bytes] : streams) {
        if (!write(dir + "/" + name + ".m2v", bytes)) {
            std::fprintf(stderr, "fuzz_syntax_seeds: cannot write %s/%s.m2v\n", dir.c_str(), name);
            return 1;
        }
    }
    return 0;
}
