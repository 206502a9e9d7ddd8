// The tools' input reader over an arbitrary file: container detection, the
// program, system and transport stream demultiplexers and the elementary stream
// cutter, read through a window of a size the input chooses. Beyond the
// sanitizers' view, every sample must be non-empty and no larger than the file,
// lie at a position inside it, a program stream's samples must be video PES
// packets, and reading again from a sample's position must give the same samples
// from there on, as a seek in tlvplay relies on.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "tools/common/stream_reader.h"

namespace {

// A file per process in memory-backed storage where there is one.
std::string scratchPath() {
    const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(dir) + "/fuzz_reader_" + std::to_string(getpid());
}

std::vector<tl::tools::StreamSample> readOn(tl::tools::StreamReader& reader, std::size_t limit) {
    std::vector<tl::tools::StreamSample> samples;
    tl::tools::StreamSample s;
    while (samples.size() < limit && reader.next(s)) samples.push_back(s);
    return samples;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    // Byte 0: read size 1 to 64 bytes (a tiny window crosses every boundary) and
    // elementary chunk size; byte 1: a transport packet identifier, or 0xFF for
    // the tables' choice.
    tl::tools::ReaderOptions options;
    options.readSize = std::size_t(data[0] & 0x3F) + 1;
    options.chunk = std::size_t(data[0] >> 6) * 500 + 1;
    options.pid = data[1] == 0xFF ? -1 : data[1] << 5;
    const std::uint8_t* file = data + 2;
    const std::size_t fileSize = size - 2;

    static const std::string path = scratchPath();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    FUZZ_CHECK(f, "cannot write the scratch file");
    std::fwrite(file, 1, fileSize, f);
    std::fclose(f);

    tl::tools::StreamReader reader(options);
    std::string error;
    if (!reader.open(path, error)) {
        FUZZ_CHECK(!error.empty(), "refused without a reason");
        return 0;
    }
    const std::vector<tl::tools::StreamSample> samples = readOn(reader, fileSize + 1);
    FUZZ_CHECK(samples.size() <= fileSize, "more samples than bytes");
    for (const tl::tools::StreamSample& s : samples) {
        FUZZ_CHECK(!s.bytes.empty() && s.bytes.size() <= fileSize, "sample size");
        FUZZ_CHECK(s.position < fileSize, "sample position outside the file");
        if (reader.deliversPesPackets()) {
            FUZZ_CHECK(s.bytes.size() >= 9 && s.bytes[0] == 0 && s.bytes[1] == 0 && s.bytes[2] == 1 &&
                           (s.bytes[3] & 0xF0) == 0xE0,
                       "a program stream sample that is no video PES packet");
        }
    }
    if (samples.empty()) return 0;
    const std::size_t from = samples.size() / 2;
    FUZZ_CHECK(reader.restartAt(samples[from].position), "cannot restart in a file");
    const std::vector<tl::tools::StreamSample> again = readOn(reader, samples.size() - from);
    FUZZ_CHECK(again.size() == samples.size() - from, "a restart gives a different number of samples");
    for (std::size_t i = 0; i < again.size(); ++i)
        FUZZ_CHECK(again[i].bytes == samples[from + i].bytes && again[i].pts == samples[from + i].pts,
                   "a restart gives different samples");
    return 0;
}
