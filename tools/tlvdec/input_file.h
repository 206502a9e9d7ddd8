// Reads the input stream piece by piece and cuts it into the samples an
// upstream filter would deliver: one per video PES packet of a program stream,
// or fixed-size chunks of an elementary stream. Only a window of the file is
// held in memory, so inputs of any length decode in constant space.
#pragma once
#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "engine/framework/reference_time.h"
#include "tools/tlvdec/program_stream.h"

namespace tl::tlvdec {

struct InputPiece {
    std::vector<std::uint8_t> bytes;
    ReferenceTime start = kNoTime;
};

class InputFile {
public:
    // readSize: bytes read per refill of a program stream's window.
    explicit InputFile(std::size_t readSize = std::size_t(1) << 20) : readSize_(readSize) {}
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile();

    // Opens the file; a program stream is recognised by its first pack header
    // or by its extension (.mpg, .mpeg, .vob).
    bool open(const std::string& path, std::size_t chunk, std::string& error);
    // The next sample. False at the end of the stream or on a read error.
    bool next(InputPiece& piece);
    bool readFailed() const { return readFailed_; }

private:
    bool fill();

    const std::size_t readSize_;
    std::FILE* file_ = nullptr;
    std::size_t chunk_ = 0;
    bool programStream_ = false;
    bool atEnd_ = false;
    bool readFailed_ = false;
    std::vector<std::uint8_t> window_;
    VideoDemultiplexer demultiplexer_;
    std::deque<InputPiece> ready_;
};

}  // namespace tl::tlvdec
