#include "tools/tlvplay/mpeg_source.h"

#include <algorithm>
#include <optional>

#include "engine/framework/pes_parser.h"
#include "tools/common/byte_source.h"
#include "tools/common/pes_header.h"
#include "tools/common/stream_reader.h"

namespace tl::tlvplay {
namespace {

constexpr std::uint8_t kPictureStartCode = 0x00;
constexpr std::uint8_t kSequenceHeaderCode = 0xB3;
constexpr std::uint8_t kGroupStartCode = 0xB8;
constexpr std::size_t kChunkSize = 64 * 1024;
// Enough to hold a sequence header with both matrices and its extensions.
constexpr std::size_t kSequenceWindow = 4096;

class ElementaryStream final : public MpegSource {
public:
    bool Open(const std::string& path, std::string* error) { return file_.open(path, *error); }

    // Indexes the sequence headers, GOPs and pictures; false without a sequence header.
    bool Index() {
        long long pictures = 0;
        bool headerSincePicture = false;
        while (file_.ensure(4)) {
            const std::uint8_t* d = file_.data();
            const std::size_t at = FindStartCode(d, file_.available(), 0);
            if (at + 4 > file_.available()) {
                file_.skip(at < file_.available() ? at : file_.available() - 3);
                continue;
            }
            file_.skip(at);
            const std::uint8_t code = file_.data()[3];
            if (code == kSequenceHeaderCode) {
                file_.ensure(kSequenceWindow);
                SequenceInfo info;
                if (ParseSequenceHeader(file_.data(), file_.available(), &info)) {
                    if (headers_.empty()) sequence_ = info;
                    headers_.push_back(std::move(info.bytes));
                    entries_.push_back({file_.position(), pictures, headers_.size() - 1, true});
                    headerSincePicture = true;
                }
            } else if (code == kGroupStartCode && !headerSincePicture && !headers_.empty()) {
                entries_.push_back({file_.position(), pictures, headers_.size() - 1, false});
            } else if (code == kPictureStartCode) {
                ++pictures;
                headerSincePicture = false;
            }
            file_.skip(4);
        }
        duration_ = pictures * sequence_.framePeriod;
        return !headers_.empty();
    }

    bool DeliversPesPackets() const override { return false; }
    std::size_t MaxUnitSize() const override { return kChunkSize + kSequenceWindow; }

    ReferenceTime Seek(ReferenceTime target) override {
        std::size_t chosen = 0;
        for (std::size_t i = 0; i < entries_.size(); ++i)
            if (EntryTime(entries_[i]) <= target) chosen = i;
        const Entry& entry = entries_[chosen];
        file_.seek(entry.offset);
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
        file_.ensure(kChunkSize);
        const std::size_t got = std::min(kChunkSize, file_.available());
        unit->bytes.insert(unit->bytes.end(), file_.data(), file_.data() + got);
        file_.skip(got);
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

    tools::ByteSource file_;
    std::vector<std::vector<std::uint8_t>> headers_;
    std::vector<Entry> entries_;
    const Entry* pending_ = nullptr;
};

bool ContainsSequenceHeader(const std::uint8_t* data, std::size_t size) {
    for (std::size_t i = FindStartCode(data, size, 0); i + 4 <= size; i = FindStartCode(data, size, i + 1))
        if (data[i + 3] == kSequenceHeaderCode) return true;
    return false;
}

// A program, system or transport stream: the reader's samples, indexed by where
// each starts, its time and whether a sequence header starts in it.
class ContainerStream final : public MpegSource {
public:
    explicit ContainerStream(int pid) : reader_(Options(pid)) {}

    bool Open(const std::string& path, std::string* error) { return reader_.open(path, *error); }
    bool DeliversPesPackets() const override { return reader_.deliversPesPackets(); }
    std::size_t MaxUnitSize() const override { return maxLength_; }

    // False when no sequence header is found in the video.
    bool Index() {
        std::vector<std::uint8_t> gathered;  // video until the first sequence header parses
        std::optional<std::uint64_t> firstPts;
        std::int64_t last = 0;
        tools::StreamSample sample;
        while (reader_.next(sample)) {
            Payload payload;
            if (!ExtractSamplePayload(sample.bytes.data(), std::int32_t(sample.bytes.size()), &payload)) continue;
            if (sample.pts) {
                if (!firstPts) firstPts = sample.pts;
                last = std::max(last, std::int64_t(*sample.pts) - std::int64_t(*firstPts));
            }
            units_.push_back({sample.position, sample.pts, ContainsSequenceHeader(payload.data, std::size_t(payload.length))});
            maxLength_ = std::max(maxLength_, sample.bytes.size());
            if (sequence_.bytes.empty() && gathered.size() < kSequenceWindow) {
                gathered.insert(gathered.end(), payload.data, payload.data + payload.length);
                for (std::size_t at = FindStartCode(gathered.data(), gathered.size(), 0); at < gathered.size();
                     at = FindStartCode(gathered.data(), gathered.size(), at + 1)) {
                    if (ParseSequenceHeader(gathered.data() + at, gathered.size() - at, &sequence_)) break;
                }
            }
        }
        firstPts_ = firstPts.value_or(0);
        duration_ = tools::PtsToReferenceTime(std::uint64_t(last)) + sequence_.framePeriod;
        return !sequence_.bytes.empty() && !units_.empty();
    }

    ReferenceTime Seek(ReferenceTime target) override {
        next_ = 0;
        for (std::size_t i = 0; i < units_.size(); ++i) {
            const ReferenceTime t = Time(units_[i]);
            if (units_[i].sequenceHeader && t != kNoTime && t <= target) next_ = i;
        }
        reader_.restartAt(units_[next_].position);
        const ReferenceTime t = Time(units_[next_]);
        return t == kNoTime ? 0 : t;
    }

    bool Next(StreamUnit* unit) override {
        if (next_ >= units_.size()) return false;
        const Unit& indexed = units_[next_++];
        tools::StreamSample sample;
        if (!reader_.next(sample)) return false;
        unit->bytes = std::move(sample.bytes);
        unit->time = Time(indexed);
        unit->entry = indexed.sequenceHeader;
        return true;
    }

private:
    struct Unit {
        std::uint64_t position;
        std::optional<std::uint64_t> pts;
        bool sequenceHeader;
    };

    static tools::ReaderOptions Options(int pid) {
        tools::ReaderOptions options;
        options.pid = pid;
        return options;
    }

    ReferenceTime Time(const Unit& unit) const {
        return unit.pts ? ReferenceTime((std::int64_t(*unit.pts) - std::int64_t(firstPts_)) * 1000 / 9) : kNoTime;
    }

    tools::StreamReader reader_;
    std::vector<Unit> units_;
    std::uint64_t firstPts_ = 0;
    std::size_t maxLength_ = 0;
    std::size_t next_ = 0;
};

}  // namespace

std::unique_ptr<MpegSource> MpegSource::Open(const std::string& path, std::string* error, int pid) {
    tools::StreamReader probe;
    if (!probe.open(path, *error)) return nullptr;
    if (probe.container() == tools::Container::Elementary) {
        auto source = std::make_unique<ElementaryStream>();
        if (!source->Open(path, error)) return nullptr;
        if (!source->Index()) {
            *error = path + ": not an MPEG video stream (no sequence header)";
            return nullptr;
        }
        source->Seek(0);
        return source;
    }
    auto source = std::make_unique<ContainerStream>(pid);
    if (!source->Open(path, error)) return nullptr;
    if (!source->Index()) {
        *error = path + ": no MPEG video sequence header in the " + tools::ContainerName(probe.container());
        return nullptr;
    }
    source->Seek(0);
    return source;
}

}  // namespace tl::tlvplay
