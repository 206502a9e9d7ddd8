// Sequential reading of a file through a sliding window, so a stream of any size
// can be scanned with bounded memory.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace tl::tlvplay {

class FileWindow {
public:
    // Reads f from its current position; the caller keeps f open.
    explicit FileWindow(std::FILE* f, std::uint64_t position = 0) : file_(f), position_(position) {}

    // Makes at least n bytes from the current position available, fewer only at the
    // end of the file; true when n are there.
    bool Ensure(std::size_t n);
    const std::uint8_t* Data() const { return buffer_.data() + begin_; }
    std::size_t Available() const { return buffer_.size() - begin_; }
    // File offset of Data()[0].
    std::uint64_t Position() const { return position_; }
    // Moves forward by n bytes, reading past what the window holds when needed;
    // false when the file ends first.
    bool Skip(std::uint64_t n);

private:
    std::FILE* file_;
    std::vector<std::uint8_t> buffer_;
    std::size_t begin_ = 0;
    std::uint64_t position_;
};

// Opens a file for binary reading; null when it cannot be opened.
std::FILE* OpenForReading(const char* path);
// Seeks to an absolute 64-bit offset; false on failure.
bool SeekTo(std::FILE* f, std::uint64_t offset);

}  // namespace tl::tlvplay
