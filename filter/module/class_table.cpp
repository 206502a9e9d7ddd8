#include "filter/module/class_table.h"

#include <FilterVideoDecoder.h>

#include <iterator>

#include "filter/h264/video_decoder_h264.h"
#include "filter/module/resource_ids.h"

namespace tl {
namespace {

com::ClassFactory g_videoDecoderH264(&com::CreateNonAggregatable<VideoDecoderH264>);

}  // namespace

ClassTable ModuleClasses() {
    static const ClassEntry entries[] = {
        {&__uuidof(::VideoDecoderH264), &g_videoDecoderH264, TL_REGISTRY_VIDEO_DECODER_H264},
    };
    return {entries, std::size(entries)};
}

}  // namespace tl
