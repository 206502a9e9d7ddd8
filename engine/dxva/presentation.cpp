#include "engine/dxva/presentation.h"

#include "engine/framework/deinterlace.h"
#include "engine/framework/sample_flags.h"

namespace tl::dxva {

std::uint32_t presentationVideoFlags(int mode, bool topFieldFirst, bool repeatField) {
    if (mode == DEINTERLACE_PROGRESSIVE || mode == DEINTERLACE_WEAVE) return video_flag::weave;
    return (topFieldFirst ? video_flag::field1_first : 0) | (repeatField ? video_flag::repeat_field : 0);
}

HResult displayPicture(DxvaAccelerator& accelerator, DecoderHost& host, const Presentation& p) {
    ReferenceTime start = p.start;
    ReferenceTime stop = p.start + p.duration;
    OutputSample* sample = nullptr;
    if (HResult r = host.getDeliveryBuffer(&sample, &start, &stop, 0); failed(r) || !sample)
        return failed(r) ? r : hr::e_fail;

    OutputSample::Properties props;
    props.actualLength = sample->size();
    props.start = p.start;
    props.stop = p.start + p.duration;
    props.pictureType = p.pictureType;
    props.typeSpecificFlags = presentationVideoFlags(p.mode, p.topFieldFirst, p.repeatField);
    props.flags = sample_flag::splice_point | sample_flag::time_valid | sample_flag::stop_valid;
    if (p.newMediaType) {
        props.flags = sample_flag::type_changed | sample_flag::data_discontinuity | sample_flag::time_valid |
                      sample_flag::stop_valid;
        props.mediaType = p.newMediaType;
    } else if (p.discontinuity) {
        props.flags = sample_flag::data_discontinuity | sample_flag::time_valid | sample_flag::stop_valid;
    }
    sample->setProperties(props);
    const HResult r = accelerator.displayFrame(p.surface, sample);
    sample->release();
    return r;
}

}  // namespace tl::dxva
