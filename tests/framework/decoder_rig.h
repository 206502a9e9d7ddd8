// A decoder object wired to test settings, a recording host and the fake decoding path.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/framework/video_decoder.h"
#include "tests/framework/fake_path.h"
#include "tests/framework/stream_writer.h"
#include "tests/support/decoder_inputs.h"
#include "tests/support/recording_host.h"

namespace tl::test {

struct DecoderRig {
    TestSettings settings;
    RecordingHost host;
    FakePath* path;
    VideoDecoder decoder;

    DecoderRig() : DecoderRig(std::make_unique<FakePath>()) {}
    ~DecoderRig() { decoder.Uninit(); }

    void init() { ASSERT_EQ(decoder.Init(&settings, &host), hr::ok); }

    HResult feed(const std::vector<std::uint8_t>& bytes, ReferenceTime start = kNoTime, std::uint32_t flags = 0) {
        TestSample* s = TestSample::make(bytes, start, flags);
        const HResult r = decoder.Receive(s);
        s->release();
        return r;
    }

    // Every picture sample, then end of stream.
    void play(const std::vector<std::vector<std::uint8_t>>& samples) {
        for (const auto& s : samples) ASSERT_EQ(feed(s), hr::ok);
        ASSERT_EQ(decoder.EndOfStream(), hr::ok);
    }

    void initAndPlay(const std::vector<std::vector<std::uint8_t>>& samples) {
        init();
        play(samples);
    }

private:
    explicit DecoderRig(std::unique_ptr<FakePath> p) : path(p.get()), decoder(std::move(p)) {}
};

}  // namespace tl::test
