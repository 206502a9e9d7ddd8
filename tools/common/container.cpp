#include "tools/common/container.h"

namespace tl::tools {
namespace {

constexpr std::uint8_t kSync = 0x47;
constexpr std::uint8_t kPackStartCode = 0xBA;
constexpr std::uint8_t kSequenceHeaderCode = 0xB3;
// Packets in a row that must start with the sync byte: a random file passes
// three in a row at one offset about once in 90 000.
constexpr std::size_t kSyncsNeeded = 3;
constexpr std::size_t kSyncsChecked = 8;

std::size_t nextStartCode(const std::uint8_t* d, std::size_t size, std::size_t from) {
    for (std::size_t i = from; i + 3 < size; ++i)
        if (d[i] == 0 && d[i + 1] == 0 && d[i + 2] == 1) return i;
    return size;
}

// The offset of the first packet when packets of `stride` bytes, their sync byte
// `lead` bytes in, follow each other from there; size when they do not. A short
// file that starts with a packet passes when every whole one it holds is in step.
std::size_t transportOffset(const std::uint8_t* d, std::size_t size, std::size_t stride, std::size_t lead) {
    for (std::size_t start = 0; start < stride && start + stride <= size; ++start) {
        std::size_t whole = 0, inStep = 0;
        for (std::size_t at = start; at + stride <= size && whole < kSyncsChecked; at += stride) {
            ++whole;
            if (d[at + lead] != kSync) break;
            ++inStep;
        }
        if (inStep >= kSyncsNeeded || (start == 0 && inStep == whole)) return start;
    }
    return size;
}

}  // namespace

const char* ContainerName(Container container) {
    switch (container) {
    case Container::Elementary: return "MPEG video elementary stream";
    case Container::ProgramStream: return "MPEG-2 program stream";
    case Container::SystemStream: return "MPEG-1 system stream";
    case Container::Transport: return "MPEG transport stream";
    case Container::Transport192: return "MPEG transport stream (192-byte packets)";
    case Container::Unknown: break;
    }
    return "unknown stream";
}

Detected DetectContainer(const std::uint8_t* d, std::size_t size) {
    if (const std::size_t at = transportOffset(d, size, 188, 0); at < size) return {Container::Transport, at};
    if (const std::size_t at = transportOffset(d, size, 192, 4); at < size) return {Container::Transport192, at};
    const std::size_t first = nextStartCode(d, size, 0);
    if (first + 4 < size && d[first + 3] == kPackStartCode) {
        const bool mpeg2 = (d[first + 4] & 0xC0) == 0x40;
        return {mpeg2 ? Container::ProgramStream : Container::SystemStream, first};
    }
    for (std::size_t at = first; at < size; at = nextStartCode(d, size, at + 1))
        if (d[at + 3] == kSequenceHeaderCode) return {Container::Elementary, 0};
    return {};
}

const char* DescribeUnknown(const std::uint8_t* d, std::size_t size) {
    if (size == 0) return "an empty file";
    const std::size_t first = nextStartCode(d, size, 0);
    if (first < size) {
        // An H.264 or H.265 stream opens with an access unit delimiter or a parameter set.
        const std::uint8_t nal = d[first + 3];
        if (nal == 0x09 || nal == 0x67 || nal == 0x27) return "H.264 video, not MPEG-2";
        if (nal == 0x40 || nal == 0x46) return "H.265 video, not MPEG-2";
    }
    return "no MPEG video (no sequence header, pack or transport packet)";
}

}  // namespace tl::tools
