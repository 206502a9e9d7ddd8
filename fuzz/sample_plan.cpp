#include "fuzz/sample_plan.h"

#include <algorithm>

#include "engine/framework/sample_flags.h"

namespace tl::fuzz {
namespace {

// Room for a PES header with a PTS inside the 16-bit packet length.
constexpr std::size_t kMaxPesPayload = 65535 - 8;
constexpr ReferenceTime kPtsStep = 400000;

class Draw {
public:
    explicit Draw(std::uint16_t seed) : state_(0x9E3779B9u ^ seed) {}
    std::uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }

private:
    std::uint32_t state_;
};

std::size_t cutLength(Draw& draw, std::uint8_t sizeClass, std::size_t left) {
    static constexpr std::size_t kLimit[] = {16, 512, 8192};
    if (sizeClass >= 3) return left;
    return std::min<std::size_t>(left, 1 + draw.next() % kLimit[sizeClass]);
}

void appendPts(std::vector<std::uint8_t>& out, std::uint64_t pts) {
    out.push_back(std::uint8_t(0x21 | ((pts >> 29) & 0x0E)));
    out.push_back(std::uint8_t(pts >> 22));
    out.push_back(std::uint8_t(0x01 | ((pts >> 14) & 0xFE)));
    out.push_back(std::uint8_t(pts >> 7));
    out.push_back(std::uint8_t(0x01 | ((pts << 1) & 0xFE)));
}

void appendPes(std::vector<std::uint8_t>& out, const std::uint8_t* payload, std::size_t n, std::uint64_t pts) {
    const std::size_t packetLength = n + 8;
    const std::uint8_t header[] = {0x00, 0x00, 0x01, 0xE0, std::uint8_t(packetLength >> 8),
                                   std::uint8_t(packetLength), 0x80, 0x80, 0x05};
    out.insert(out.end(), header, header + sizeof header);
    appendPts(out, pts);
    out.insert(out.end(), payload, payload + n);
}

void appendPackHeader(std::vector<std::uint8_t>& out) {
    // '01' prefix, SCR 0 with its marker bits, mux rate with its markers, no stuffing.
    const std::uint8_t pack[] = {0x00, 0x00, 0x01, 0xBA, 0x44, 0x00, 0x04, 0x00,
                                 0x04, 0x01, 0x01, 0x89, 0xC3, 0xF8};
    out.insert(out.end(), pack, pack + sizeof pack);
}

bool containerStartAt(const std::uint8_t* p, std::size_t left) {
    return left >= 4 && p[0] == 0 && p[1] == 0 && p[2] == 1 && (p[3] == 0xBA || (p[3] & 0xF0) == 0xE0);
}

}  // namespace

std::vector<PlannedSample> CutIntoSamples(const std::uint8_t* data, std::size_t size, const CutPlan& plan) {
    std::vector<PlannedSample> samples;
    Draw draw(plan.seed);
    std::size_t at = 0;
    while (at < size) {
        PlannedSample s;
        std::size_t n;
        if (plan.form == SampleForm::Demuxed) {
            n = 1;
            while (at + n < size && !containerStartAt(data + at + n, size - at - n)) ++n;
        } else {
            n = cutLength(draw, plan.sizeClass, size - at);
            if (plan.form != SampleForm::Elementary) n = std::min(n, kMaxPesPayload);
        }
        const std::uint32_t bits = draw.next();
        if (plan.timeStamps && (bits & 3) == 0) {
            s.start = ReferenceTime(samples.size()) * kPtsStep;
            s.flags |= sample_flag::time_valid;
        }
        if (plan.discontinuities && (bits & 0x1C) == 0) s.flags |= sample_flag::data_discontinuity;
        switch (plan.form) {
        case SampleForm::Pack:
            appendPackHeader(s.bytes);
            appendPes(s.bytes, data + at, n, std::uint64_t(samples.size()) * 3600);
            break;
        case SampleForm::Pes:
            appendPes(s.bytes, data + at, n, std::uint64_t(samples.size()) * 3600);
            break;
        default:
            s.bytes.assign(data + at, data + at + n);
            break;
        }
        samples.push_back(std::move(s));
        at += n;
    }
    return samples;
}

}  // namespace tl::fuzz
