#include "tools/tlvplay/mpeg_source.h"

#include <algorithm>

#include "tools/tlvplay/file_window.h"

namespace tl::tlvplay {
namespace {

constexpr std::uint8_t kPictureStartCode = 0x00;
constexpr std::uint8_t kSequenceHeaderCode = 0xB3;
constexpr std::uint8_t kGroupStartCode = 0xB8;
constexpr std::uint8_t kPackStartCode = 0xBA;
constexpr std::size_t kChunkSize = 64 * 1024;
// Enough to hold a sequence header with both matrices and its extensions.
constexpr std::size_t kSequenceWindow = 4096;
constexpr std::size_t kProbeSize = 64 * 1024;

class ElementaryStream final : public MpegSource {
public:
    explicit ElementaryStream(std::FILE* f) : MpegSource(f) {}

    // Indexes the sequence headers, GOPs and pictures; false without a sequence header.
    bool Index() {
        FileWindow window(file_);
        long long pictures = 0;
        bool headerSincePicture = false;
        while (window.Ensure(4)) {
            const std::uint8_t* d = window.Data();
            const std::size_t at = FindStartCode(d, window.Available(), 0);
            if (at + 4 > window.Available()) {
                window.Skip(at < window.Available() ? at : window.Available() - 3);
                continue;
            }
            window.Skip(at);
            const std::uint8_t code = window.Data()[3];
            if (code == kSequenceHeaderCode) {
                window.Ensure(kSequenceWindow);
                SequenceInfo info;
                if (ParseSequenceHeader(window.Data(), window.Available(), &info)) {
                    if (headers_.empty()) sequence_ = info;
                    headers_.push_back(std::move(info.bytes));
                    entries_.push_back({window.Position(), pictures, headers_.size() - 1, true});
                    headerSincePicture = true;
                }
            } else if (code == kGroupStartCode && !headerSincePicture && !headers_.empty()) {
                entries_.push_back({window.Position(), pictures, headers_.size() - 1, false});
            } else if (code == kPictureStartCode) {
                ++pictures;
                headerSincePicture = false;
            }
            window.Skip(4);
        }
        duration_ = pictures * sequence_.framePeriod;
        return !headers_.empty();
    }

    bool IsProgramStream() const override { return false; }
    std::size_t MaxUnitSize() const override { return kChunkSize + kSequenceWindow; }

    ReferenceTime Seek(ReferenceTime target) override {
        std::size_t chosen = 0;
        for (std::size_t i = 0; i < entries_.size(); ++i)
            if (EntryTime(entries_[i]) <= target) chosen = i;
        const Entry& entry = entries_[chosen];
        offset_ = entry.offset;
        pending_ = &entry;
        return EntryTime(entry);
    }

    bool Next(StreamUnit* unit) override {
        unit->bytes.clear();
        unit->time = kNoTime;
        unit->entry = false;
        if (pending_) {
            // A GOP without its own sequence header is preceded by the last one, so a
            // decoder that starts here knows the sequence.
            if (!pending_->isSequenceHeader) unit->bytes = headers_[pending_->header];
            unit->time = EntryTime(*pending_);
            unit->entry = true;
            pending_ = nullptr;
        }
        if (!SeekTo(file_, offset_)) return false;
        const std::size_t prefix = unit->bytes.size();
        unit->bytes.resize(prefix + kChunkSize);
        const std::size_t got = std::fread(unit->bytes.data() + prefix, 1, kChunkSize, file_);
        unit->bytes.resize(prefix + got);
        offset_ += got;
        return got > 0;
    }

private:
    struct Entry {
        std::uint64_t offset;
        long long pictureIndex;  // pictures before it, in coded order
        std::size_t header;      // the sequence header in force
        bool isSequenceHeader;
    };

    ReferenceTime EntryTime(const Entry& entry) const { return entry.pictureIndex * sequence_.framePeriod; }

    std::vector<std::vector<std::uint8_t>> headers_;
    std::vector<Entry> entries_;
    std::uint64_t offset_ = 0;
    const Entry* pending_ = nullptr;
};

class ProgramStream final : public MpegSource {
public:
    explicit ProgramStream(std::FILE* f) : MpegSource(f) {}

    bool Index() {
        ProgramStreamIndex index = IndexProgramStream(file_);
        if (!index.sequence || index.packets.empty()) return false;
        sequence_ = *index.sequence;
        packets_ = std::move(index.packets);
        std::int64_t last = 0;
        bool haveFirst = false;
        for (const VideoPacket& packet : packets_) {
            if (!packet.pts) continue;
            if (!haveFirst) firstPts_ = std::int64_t(*packet.pts), haveFirst = true;
            last = std::max(last, std::int64_t(*packet.pts) - firstPts_);
        }
        duration_ = PtsToReferenceTime(last) + sequence_.framePeriod;
        for (const VideoPacket& packet : packets_) maxLength_ = std::max<std::size_t>(maxLength_, packet.length);
        return true;
    }

    bool IsProgramStream() const override { return true; }
    std::size_t MaxUnitSize() const override { return maxLength_; }

    ReferenceTime Seek(ReferenceTime target) override {
        next_ = 0;
        for (std::size_t i = 0; i < packets_.size(); ++i) {
            const ReferenceTime t = Time(packets_[i]);
            if (packets_[i].sequenceHeader && t != kNoTime && t <= target) next_ = i;
        }
        const ReferenceTime t = Time(packets_[next_]);
        return t == kNoTime ? 0 : t;
    }

    bool Next(StreamUnit* unit) override {
        if (next_ >= packets_.size()) return false;
        const VideoPacket& packet = packets_[next_++];
        unit->bytes.resize(packet.length);
        unit->time = Time(packet);
        unit->entry = packet.sequenceHeader;
        return SeekTo(file_, packet.offset) &&
               std::fread(unit->bytes.data(), 1, packet.length, file_) == packet.length;
    }

private:
    ReferenceTime Time(const VideoPacket& packet) const {
        return packet.pts ? PtsToReferenceTime(std::int64_t(*packet.pts) - firstPts_) : kNoTime;
    }

    std::vector<VideoPacket> packets_;
    std::int64_t firstPts_ = 0;
    std::size_t maxLength_ = 0;
    std::size_t next_ = 0;
};

}  // namespace

MpegSource::~MpegSource() { std::fclose(file_); }

std::unique_ptr<MpegSource> MpegSource::Open(const std::string& path, std::string* error) {
    std::FILE* f = OpenForReading(path.c_str());
    if (!f) {
        *error = "cannot open " + path;
        return nullptr;
    }
    std::vector<std::uint8_t> probe(kProbeSize);
    probe.resize(std::fread(probe.data(), 1, probe.size(), f));
    const std::size_t first = FindStartCode(probe.data(), probe.size(), 0);
    const bool isProgram = first + 4 <= probe.size() && probe[first + 3] == kPackStartCode;
    SeekTo(f, 0);
    if (isProgram) {
        auto source = std::make_unique<ProgramStream>(f);
        if (!source->Index()) {
            *error = path + ": no MPEG video sequence header in the program stream";
            return nullptr;
        }
        source->Seek(0);
        return source;
    }
    auto source = std::make_unique<ElementaryStream>(f);
    if (!source->Index()) {
        *error = path + ": not an MPEG video stream (no sequence header)";
        return nullptr;
    }
    source->Seek(0);
    return source;
}

}  // namespace tl::tlvplay
