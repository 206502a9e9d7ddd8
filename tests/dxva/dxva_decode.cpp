#include "tests/dxva/dxva_decode.h"

#include <mutex>

#include "tests/support/decoder_inputs.h"
#include "tests/support/picture_md5.h"

namespace tl::test {

DxvaDecode decodeThroughDxva(const std::vector<Bytes>& samples, const DxvaRun& run) {
    DxvaDecode result;
    ReferenceCounter counter;
    TestSettings settings(run.deinterlace);
    settings.always = run.alwaysDeinterlace;
    settings.painter = run.layers;
    dxva_soft::SoftDxvaHost host(run.accelerator);
    std::mutex mutex;
    host.onShow = [&](const dxva_soft::ShownPicture& shown) {
        const dxva_soft::Surface& s = shown.surface;
        const int cw = chroma_width(shown.width, 1), ch = chroma_height(shown.height, 1);
        const std::string md5 = planes_md5({s.planes[0], s.strides[0], shown.width, shown.height},
                                           {s.planes[1], s.strides[1], cw, ch}, {s.planes[2], s.strides[2], cw, ch});
        std::lock_guard<std::mutex> lock(mutex);
        if (run.keepLuma) {
            std::vector<std::uint8_t> luma;
            for (int y = 0; y < shown.height; ++y)
                luma.insert(luma.end(), s.planes[0] + y * s.strides[0], s.planes[0] + y * s.strides[0] + shown.width);
            result.lumas.push_back(std::move(luma));
        }
        result.digests.push_back(md5);
        result.shown.push_back(shown.properties);
    };
    if (run.setup) run.setup(host);
    if (failed(host.connect())) return result;
    {
        VideoDecoder decoder;
        if (decoder.Init(&settings, &host) != hr::ok) return result;
        for (std::size_t i = 0; i < samples.size(); ++i) {
            if (int(i) == run.flushAfter) {
                decoder.EndOfStream();  // everything so far shown, then the seek
                decoder.Flush(true);
                decoder.Flush(false);
            }
            TestSample* s = TestSample::make(samples[i], kNoTime, 0, &counter);
            decoder.Receive(s);
            s->release();
        }
        decoder.EndOfStream();
        result.info = decoder.streamInfo();
        decoder.Uninit();
    }
    result.pendingAnswers = host.accelerator().pendingAnswers();
    result.presentationSamplesLeft = host.presentationSamplesLeft();
    result.referencesLeft = counter.live.load();
    return result;
}

}  // namespace tl::test
