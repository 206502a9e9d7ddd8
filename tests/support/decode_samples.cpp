#include "tests/support/decode_samples.h"

namespace tl::test {

bool feedSamples(VideoDecoder& decoder, const std::vector<Bytes>& samples, ReferenceCounter* counter) {
    bool accepted = true;
    for (const Bytes& bytes : samples) {
        TestSample* s = TestSample::make(bytes, kNoTime, 0, counter);
        accepted = decoder.Receive(s) == hr::ok && accepted;
        s->release();
    }
    return accepted;
}

DecodeResult decodeSamples(const std::vector<Bytes>& samples, bool keepBytes, bool conceal) {
    DecodeResult result;
    ReferenceCounter counter;
    TestSettings settings(2);
    settings.conceal = conceal;
    RecordingHost host;
    host.keepDigests = true;
    host.keepBytes = keepBytes;
    {
        VideoDecoder decoder;
        if (decoder.Init(&settings, &host) != hr::ok) return result;
        feedSamples(decoder, samples, &counter);
        decoder.EndOfStream();
        result.info = decoder.streamInfo();
        decoder.Uninit();
    }
    result.pictures = host.deliveries();
    for (const Delivery& d : result.pictures) result.digests.push_back(d.md5);
    result.types = host.types();
    result.referencesLeft = counter.live.load();
    result.outputSamplesLeft = host.liveSamples();
    return result;
}

}  // namespace tl::test
