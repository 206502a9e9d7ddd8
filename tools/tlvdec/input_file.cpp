#include "tools/tlvdec/input_file.h"

#include <cerrno>
#include <cstring>

namespace tl::tlvdec {
namespace {

bool hasProgramStreamExtension(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos) return false;
    std::string ext = path.substr(dot + 1);
    for (char& c : ext) c = char(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return ext == "mpg" || ext == "mpeg" || ext == "vob";
}

}  // namespace

InputFile::~InputFile() {
    if (file_) std::fclose(file_);
}

bool InputFile::open(const std::string& path, std::size_t chunk, std::string& error) {
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_) {
        error = "cannot open '" + path + "': " + std::strerror(errno);
        return false;
    }
    chunk_ = chunk;
    std::uint8_t head[4] = {};
    const std::size_t n = std::fread(head, 1, sizeof head, file_);
    if (std::ferror(file_)) {
        error = "cannot read '" + path + "'";
        return false;
    }
    window_.assign(head, head + n);
    programStream_ = StartsWithPackHeader(head, n) || hasProgramStreamExtension(path);
    return true;
}

bool InputFile::fill() {
    if (atEnd_) return false;
    const std::size_t want = programStream_ ? readSize_ : chunk_;
    const std::size_t old = window_.size();
    window_.resize(old + want);
    const std::size_t n = std::fread(window_.data() + old, 1, want, file_);
    window_.resize(old + n);
    if (n < want) {
        atEnd_ = true;
        readFailed_ = std::ferror(file_) != 0;
    }
    return true;
}

bool InputFile::next(InputPiece& piece) {
    if (!programStream_) {
        while (window_.size() < chunk_ && fill()) {
        }
        if (window_.empty()) return false;
        const std::size_t n = std::min(chunk_, window_.size());
        piece.bytes.assign(window_.begin(), window_.begin() + std::ptrdiff_t(n));
        piece.start = kNoTime;
        window_.erase(window_.begin(), window_.begin() + std::ptrdiff_t(n));
        return true;
    }
    while (ready_.empty()) {
        if (!fill() && window_.empty()) return false;
        std::vector<VideoPacket> packets;
        const std::size_t used = demultiplexer_.parse(window_.data(), window_.size(), atEnd_, packets);
        for (const VideoPacket& p : packets) {
            const auto first = window_.begin() + std::ptrdiff_t(p.offset);
            ready_.push_back({std::vector<std::uint8_t>(first, first + std::ptrdiff_t(p.length)), p.start});
        }
        window_.erase(window_.begin(), window_.begin() + std::ptrdiff_t(used));
        if (atEnd_ && ready_.empty()) {
            window_.clear();
            return false;
        }
    }
    piece = std::move(ready_.front());
    ready_.pop_front();
    return true;
}

}  // namespace tl::tlvdec
