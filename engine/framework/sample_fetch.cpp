#include "engine/framework/sample_fetch.h"

#include "engine/framework/pes_parser.h"
#include "engine/framework/sample_flags.h"

namespace tl {

void SampleFetcher::releaseCurrent() {
    if (current_) current_->release();
    current_ = nullptr;
}

HResult SampleFetcher::fetchNextSample(const std::uint8_t*& current, const std::uint8_t*& end) {
    releaseCurrent();
    while (links_.running->load()) {
        InputSample* sample = nullptr;
        switch (links_.queue->wait(&sample)) {
        case InputQueue::Signal::Wake:
        case InputQueue::Signal::LayerDirty:
            continue;
        case InputQueue::Signal::Sample:
            break;
        }
        if (!sample) return hr::e_abort;  // end-of-stream marker

        const InputSample::Properties props = sample->properties();
        if (props.flags & sample_flag::data_discontinuity) {
            *links_.discontinuityPending = true;
            links_.stream->display_horizontal_size = 0;
            links_.stream->display_vertical_size = 0;
        }
        Payload payload;
        if (!props.data || props.length <= 0 ||
            !ExtractSamplePayload(props.data, props.length, &payload)) {
            sample->release();
            continue;
        }
        sampleTime_ = (props.flags & sample_flag::time_valid) ? props.start : kNoTime;
        totalBytesRead_ += std::uint64_t(payload.length);
        current_ = sample;
        current = payload.data;
        end = payload.data + payload.length;
        return hr::ok;
    }
    return hr::e_abort;
}

}  // namespace tl
