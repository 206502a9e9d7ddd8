#include "tests/support/temp_file.h"

#include <atomic>
#include <fstream>
#include <random>
#include <stdexcept>

namespace tl::test {
namespace {

// Several test processes run in parallel under CTest, so the name mixes a random
// per-process tag with a per-process counter.
std::string unique_stem() {
    static const unsigned long long tag = [] {
        std::random_device device;
        return (static_cast<unsigned long long>(device()) << 32) ^ device();
    }();
    static std::atomic<unsigned> counter{0};
    return "tltest-" + std::to_string(tag) + "-" + std::to_string(counter++);
}

}  // namespace

TempFile::TempFile(const std::string& suffix)
    : path_(std::filesystem::temp_directory_path() / (unique_stem() + suffix)) {
    if (!std::ofstream(path_, std::ios::binary)) throw std::runtime_error("cannot create " + path_.string());
}

TempFile::~TempFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
}

void TempFile::write(const std::vector<std::uint8_t>& bytes) const {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path_.string());
}

}  // namespace tl::test
