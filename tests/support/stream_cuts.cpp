#include "tests/support/stream_cuts.h"

#include <algorithm>

#include "engine/framework/pes_parser.h"
#include "tools/common/program_demuxer.h"

namespace tl::test {

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

std::vector<std::size_t> offsetsOf(const Bytes& stream, std::uint8_t code) {
    std::vector<std::size_t> out;
    for (const StartCode& c : findStartCodes(stream))
        if (c.code == code) out.push_back(c.offset);
    return out;
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
    std::vector<tools::PacketSpan> spans;
    tools::ProgramDemuxer().parse(ps.data(), ps.size(), true, spans);
    std::vector<Bytes> out;
    for (const tools::PacketSpan& p : spans) out.push_back(cut(ps, p.offset, p.offset + p.length));
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

std::vector<Bytes> samplesOf(const Bytes& file, bool programStream) {
    return programStream ? videoPesPackets(file) : cutIntoChunks(file, 4096);
}

}  // namespace tl::test
