#include "tools/common/byte_source.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace tl::tools {

ByteSource::~ByteSource() {
    if (ownsFile_) std::fclose(file_);
}

bool ByteSource::open(const std::string& path, std::string& error) {
    if (path == "-") {
#ifdef _WIN32
        _setmode(_fileno(stdin), _O_BINARY);
#endif
        file_ = stdin;
        return true;
    }
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_) {
        error = "cannot open '" + path + "': " + std::strerror(errno);
        return false;
    }
    ownsFile_ = true;
    return true;
}

bool ByteSource::grow() {
    if (atEnd_ || !file_) return false;
    // Bytes already used are dropped once they are the larger part of the window.
    if (begin_ > 0 && begin_ >= available()) {
        buffer_.erase(buffer_.begin(), buffer_.begin() + std::ptrdiff_t(begin_));
        begin_ = 0;
    }
    const std::size_t old = buffer_.size();
    buffer_.resize(old + readSize_);
    const std::size_t got = std::fread(buffer_.data() + old, 1, readSize_, file_);
    buffer_.resize(old + got);
    if (got < readSize_) {
        atEnd_ = true;
        readFailed_ = std::ferror(file_) != 0;
    }
    return got > 0;
}

bool ByteSource::ensure(std::size_t n) {
    while (available() < n)
        if (!grow()) return false;
    return true;
}

bool ByteSource::skip(std::uint64_t n) {
    while (n > 0) {
        if (available() == 0 && !grow()) return false;
        const std::size_t step = std::size_t(std::min<std::uint64_t>(n, available()));
        begin_ += step;
        position_ += step;
        n -= step;
    }
    return true;
}

bool ByteSource::seek(std::uint64_t offset) {
    if (!ownsFile_) return false;
#ifdef _WIN32
    const bool moved = _fseeki64(file_, static_cast<long long>(offset), SEEK_SET) == 0;
#else
    const bool moved = fseeko(file_, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
    if (!moved) return false;
    buffer_.clear();
    begin_ = 0;
    position_ = offset;
    atEnd_ = false;
    return true;
}

}  // namespace tl::tools
