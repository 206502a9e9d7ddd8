// Which kind of MPEG stream a file holds, told from its first bytes rather than
// from its name.
#pragma once
#include <cstddef>
#include <cstdint>

namespace tl::tools {

enum class Container {
    Unknown,
    Elementary,     // MPEG video start codes, beginning with a sequence header
    ProgramStream,  // MPEG-2 packs (DVD VOBs, .mpg files of most tools)
    SystemStream,   // MPEG-1 packs (ffmpeg's default .mpg, Video CDs)
    Transport,      // 188-byte transport packets (broadcast recordings)
    Transport192,   // 192-byte packets: a 4-byte arrival time before each (.m2ts)
};

const char* ContainerName(Container container);

struct Detected {
    Container container = Container::Unknown;
    std::size_t offset = 0;  // where the first whole pack or packet begins
};

// The container of a stream whose first bytes are data[0, size). Leading bytes
// before the first pack or packet are allowed (a recording cut anywhere).
Detected DetectContainer(const std::uint8_t* data, std::size_t size);

// What a stream that is none of the above seems to be, for an error message:
// "an empty file", "H.264 video", "no MPEG video" and the like.
const char* DescribeUnknown(const std::uint8_t* data, std::size_t size);

// Bytes to look at before deciding.
constexpr std::size_t kProbeSize = 64 * 1024;

}  // namespace tl::tools
