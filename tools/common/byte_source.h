// Sequential reading of a file or of standard input through a sliding window,
// so a stream of any length is scanned in bounded memory, with positioning at
// an absolute offset where the input allows it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tl::tools {

class ByteSource {
public:
    explicit ByteSource(std::size_t readSize = std::size_t(1) << 16) : readSize_(readSize ? readSize : 1) {}
    ByteSource(const ByteSource&) = delete;
    ByteSource& operator=(const ByteSource&) = delete;
    ~ByteSource();

    // "-" is standard input. False with a one-line reason when it cannot be opened.
    bool open(const std::string& path, std::string& error);

    // Makes at least n bytes from position() available, fewer only at the end of
    // the input; true when n are there.
    bool ensure(std::size_t n);
    // Reads one more block into the window; false at the end of the input.
    bool grow();
    const std::uint8_t* data() const { return buffer_.data() + begin_; }
    std::size_t available() const { return buffer_.size() - begin_; }
    // Input offset of data()[0].
    std::uint64_t position() const { return position_; }
    // No bytes beyond the window remain.
    bool atEnd() const { return atEnd_; }
    // Moves forward by n bytes, reading past the window when needed; false when
    // the input ends first.
    bool skip(std::uint64_t n);
    // Moves to an absolute offset; false for standard input or a failed seek.
    bool seek(std::uint64_t offset);
    bool readFailed() const { return readFailed_; }

private:
    const std::size_t readSize_;
    std::FILE* file_ = nullptr;
    bool ownsFile_ = false;
    bool atEnd_ = false;
    bool readFailed_ = false;
    std::vector<std::uint8_t> buffer_;
    std::size_t begin_ = 0;
    std::uint64_t position_ = 0;
};

}  // namespace tl::tools
