#include "fuzz/sample_plan.h"

#include <algorithm>

#include "engine/framework/sample_flags.h"
#include "tests/support/pes_writer.h"

namespace tl::fuzz {
namespace {

// Room for a PES header with a PTS inside the 16-bit packet length.
constexpr std::size_t kMaxPesPayload = 65535 - 8;
constexpr ReferenceTime kPtsStep = 400000;

struct Draw {
    std::uint32_t state;
    std::uint32_t next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
};

std::size_t cutLength(Draw& draw, std::uint8_t sizeClass, std::size_t left) {
    static constexpr std::size_t kLimit[] = {16, 512, 8192};
    if (sizeClass >= 3) return left;
    return std::min<std::size_t>(left, 1 + draw.next() % kLimit[sizeClass]);
}

bool containerStartAt(const std::uint8_t* p, std::size_t left) {
    return left >= 4 && p[0] == 0 && p[1] == 0 && p[2] == 1 && (p[3] == 0xBA || (p[3] & 0xF0) == 0xE0);
}

}  // namespace

std::vector<PlannedSample> CutIntoSamples(const std::uint8_t* data, std::size_t size, const CutPlan& plan) {
    std::vector<PlannedSample> samples;
    Draw draw{0x9E3779B9u ^ plan.seed};
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
        s.bytes.assign(data + at, data + at + n);
        if (plan.form == SampleForm::Pes || plan.form == SampleForm::Pack)
            s.bytes = test::pesPacket(0xE0, s.bytes, std::int64_t(samples.size()) * 3600);
        if (plan.form == SampleForm::Pack) s.bytes = test::packHeader(0, s.bytes);
        samples.push_back(std::move(s));
        at += n;
    }
    return samples;
}

}  // namespace tl::fuzz
