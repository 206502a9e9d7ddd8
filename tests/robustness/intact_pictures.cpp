#include "tests/robustness/robustness_rig.h"

#include <algorithm>
#include <cstdlib>

#include "engine/framework/pes_parser.h"
#include "engine/framework/video_decoder.h"
#include "tests/support/md5.h"

namespace tl::test {

CountedSample* CountedSample::make(ReferenceCounter& counter, const Bytes& bytes, ReferenceTime start,
                                   std::uint32_t flags) {
    return new CountedSample(counter, bytes, start, flags);
}

CountedSample::CountedSample(ReferenceCounter& counter, const Bytes& bytes, ReferenceTime start, std::uint32_t flags)
    : counter_(counter), bytes_(bytes), start_(start), flags_(flags) {
    ++counter_.live;
    ++counter_.made;
}

void CountedSample::addRef() {
    ++refs_;
    ++counter_.live;
}

void CountedSample::release() {
    --counter_.live;
    if (--refs_ == 0) delete this;
}

InputSample::Properties CountedSample::properties() const {
    Properties p;
    p.flags = flags_ | (start_ != kNoTime ? 0x10u : 0u);
    p.data = bytes_.empty() ? nullptr : bytes_.data();
    p.length = std::int32_t(bytes_.size());
    p.start = start_;
    return p;
}

// Its buffer is exactly as large as the host says, so a write past it is a
// heap overflow under AddressSanitizer.
class PlanarOutputSample final : public OutputSample {
public:
    PlanarOutputSample(DigestHost& host, std::size_t size) : host_(host), bytes_(size) { ++host_.liveOutputSamples_; }
    void release() override {
        --host_.liveOutputSamples_;
        delete this;
    }
    std::uint8_t* buffer() override { return bytes_.data(); }
    std::int32_t size() const override { return std::int32_t(bytes_.size()); }
    const OutputFormat* arrivedMediaType() const override { return nullptr; }
    void setProperties(const Properties& p) override { properties_ = p; }
    const Properties& properties() const { return properties_; }

private:
    ~PlanarOutputSample() = default;
    DigestHost& host_;
    Bytes bytes_;
    Properties properties_;
};

namespace {

std::size_t planarBytes(std::int32_t w, std::int32_t h, int chromaFormat) {
    const std::size_t cw = chromaFormat == 3 ? w : (w + 1) / 2;
    const std::size_t ch = chromaFormat == 1 ? (h + 1) / 2 : h;
    return std::size_t(w) * h + 2 * cw * ch;
}

}  // namespace

HResult DigestHost::changeOutputFormat(const std::int32_t size[2], const std::int32_t*, const std::int32_t*,
                                       int chromaFormat, ReferenceTime) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (refuseFormatChange) return hr::e_fail;
    width = size[0];
    height = size[1];
    chromaFormat_ = chromaFormat;
    return hr::ok;
}

HResult DigestHost::changeAspectRatio(const std::int32_t*) { return hr::ok; }

HResult DigestHost::getDeliveryBuffer(OutputSample** sample, ReferenceTime*, ReferenceTime*, std::uint32_t) {
    std::lock_guard<std::mutex> lock(mutex_);
    // A connection the decoder has not renegotiated may hold a 4:4:4 picture.
    const int chroma = refuseFormatChange ? 3 : chromaFormat_;
    *sample = new PlanarOutputSample(*this, planarBytes(width, std::abs(height), chroma));
    return hr::ok;
}

HResult DigestHost::deliver(OutputSample* sample) {
    auto* planar = static_cast<PlanarOutputSample*>(sample);
    std::lock_guard<std::mutex> lock(mutex_);
    DeliveredPicture d;
    d.md5 = md5_hex(planar->buffer(), planarBytes(width, std::abs(height), chromaFormat_));
    d.flags = planar->properties().flags;
    deliveries_.push_back(d);
    return hr::ok;
}

OutputFormat DigestHost::connectionFormat() {
    std::lock_guard<std::mutex> lock(mutex_);
    OutputFormat f;
    f.subtype = OutputSubtype::Planar;
    f.width = width;
    f.height = height;
    f.bitCount = 12;
    return f;
}

std::vector<DeliveredPicture> DigestHost::deliveries() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return deliveries_;
}

std::vector<std::string> DigestHost::digests() const {
    std::vector<std::string> out;
    for (const DeliveredPicture& d : deliveries()) out.push_back(d.md5);
    return out;
}

void DigestHost::clearDeliveries() {
    std::lock_guard<std::mutex> lock(mutex_);
    deliveries_.clear();
}

std::vector<StartCode> findStartCodes(const Bytes& s) {
    std::vector<StartCode> codes;
    for (std::size_t i = 0; i + 3 < s.size(); ++i) {
        if (s[i] == 0 && s[i + 1] == 0 && s[i + 2] == 1) {
            codes.push_back({i, s[i + 3]});
            i += 3;
        }
    }
    return codes;
}

Bytes cut(const Bytes& stream, std::size_t from, std::size_t to) {
    to = std::min(to, stream.size());
    from = std::min(from, to);
    return Bytes(stream.begin() + std::ptrdiff_t(from), stream.begin() + std::ptrdiff_t(to));
}

std::vector<Bytes> cutIntoChunks(const Bytes& stream, std::size_t chunk) {
    std::vector<Bytes> out;
    for (std::size_t i = 0; i < stream.size(); i += chunk) out.push_back(cut(stream, i, i + chunk));
    return out;
}

std::vector<Bytes> videoPesPackets(const Bytes& ps) {
    std::vector<Bytes> out;
    std::size_t i = 0;
    while (i + 6 <= ps.size()) {
        if (ps[i] != 0 || ps[i + 1] != 0 || ps[i + 2] != 1) {
            ++i;
            continue;
        }
        const std::uint8_t id = ps[i + 3];
        if (id == 0xBA) {
            if (i + 14 > ps.size()) break;
            i += 14 + (ps[i + 13] & 7);
        } else if (id >= 0xBB) {
            const std::size_t length = 6 + (std::size_t(ps[i + 4]) << 8 | ps[i + 5]);
            if ((id & 0xF0) == 0xE0) out.push_back(cut(ps, i, i + length));
            i += length;
        } else {
            i += 4;
        }
    }
    return out;
}

Bytes payloadOf(const std::vector<Bytes>& samples) {
    Bytes es;
    for (const Bytes& s : samples) {
        Payload p;
        if (!s.empty() && ExtractSamplePayload(s.data(), std::int32_t(s.size()), &p))
            es.insert(es.end(), p.data, p.data + p.length);
    }
    return es;
}

DecodeResult decodeSamples(const std::vector<Bytes>& samples) {
    DecodeResult result;
    ReferenceCounter counter;
    WeaveSettings settings;
    DigestHost host;
    {
        VideoDecoder decoder;
        if (decoder.Init(&settings, &host) != hr::ok) return result;
        for (const Bytes& bytes : samples) {
            CountedSample* s = CountedSample::make(counter, bytes);
            decoder.Receive(s);
            s->release();
        }
        decoder.EndOfStream();
        result.errors = decoder.streamInfo().errors;
        decoder.Uninit();
    }
    result.pictures = host.deliveries();
    result.digests = host.digests();
    result.referencesLeft = counter.live.load();
    result.outputSamplesLeft = host.liveOutputSamples();
    return result;
}

IntactPictures intactAround(const Bytes& stream, std::size_t firstDamage, std::size_t lastDamage) {
    const std::vector<StartCode> codes = findStartCodes(stream);
    auto picturesIn = [&](std::size_t from, std::size_t to) {
        return std::size_t(std::count_if(codes.begin(), codes.end(), [&](const StartCode& c) {
            return c.code == 0x00 && c.offset >= from && c.offset < to;
        }));
    };
    auto closedGop = [&](const StartCode& c) { return c.offset + 7 < stream.size() && (stream[c.offset + 7] & 0x40); };

    IntactPictures intact;
    std::size_t groupStart = 0;
    for (const StartCode& c : codes)
        if ((c.code == 0xB3 || c.code == 0xB8) && c.offset <= firstDamage) groupStart = c.offset;
    const std::size_t before = picturesIn(0, groupStart);
    intact.intactPrefix = before > 0 ? before - 1 : 0;

    // Sequence headers behind the damage, and the group of pictures after each.
    std::vector<const StartCode*> groups;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        if (codes[i].code != 0xB3 || codes[i].offset <= lastDamage) continue;
        for (std::size_t j = i + 1; j < codes.size() && codes[j].code != 0xB3; ++j) {
            if (codes[j].code == 0xB8) {
                groups.push_back(&codes[j]);
                break;
            }
        }
    }
    const StartCode* resync = nullptr;
    if (!groups.empty() && closedGop(*groups[0]))
        resync = groups[0];
    else if (groups.size() > 1)
        resync = groups[1];
    if (resync) intact.intactTail = picturesIn(resync->offset, stream.size());
    return intact;
}

}  // namespace tl::test
