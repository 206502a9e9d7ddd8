#include "tools/tlvplay/file_window.h"

#include <algorithm>

namespace tl::tlvplay {
namespace {

constexpr std::size_t kReadSize = 64 * 1024;

}  // namespace

bool FileWindow::Ensure(std::size_t n) {
    if (Available() >= n) return true;
    buffer_.erase(buffer_.begin(), buffer_.begin() + std::ptrdiff_t(begin_));
    begin_ = 0;
    while (buffer_.size() < n) {
        const std::size_t old = buffer_.size();
        buffer_.resize(old + std::max(kReadSize, n - old));
        const std::size_t got = std::fread(buffer_.data() + old, 1, buffer_.size() - old, file_);
        buffer_.resize(old + got);
        if (got == 0) return false;
    }
    return true;
}

bool FileWindow::Skip(std::uint64_t n) {
    while (n > 0) {
        if (Available() == 0 && !Ensure(1)) return false;
        const std::size_t step = std::size_t(std::min<std::uint64_t>(n, Available()));
        begin_ += step;
        position_ += step;
        n -= step;
    }
    return true;
}

std::FILE* OpenForReading(const char* path) { return std::fopen(path, "rb"); }

bool SeekTo(std::FILE* f, std::uint64_t offset) {
#ifdef _WIN32
    return _fseeki64(f, static_cast<long long>(offset), SEEK_SET) == 0;
#else
    return fseeko(f, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

}  // namespace tl::tlvplay
