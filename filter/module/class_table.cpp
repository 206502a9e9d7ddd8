#include "filter/module/class_table.h"

#include <FilterVideoDecoder.h>

#include <iterator>

#include "filter/decoder/video_decoder_mpeg2.h"
#include "filter/filter/filter_video_decoder.h"
#include "filter/filter/filter_registration.h"
#include "filter/h264/video_decoder_h264.h"
#include "filter/module/resource_ids.h"
#include "filter/osd/layer.h"
#include "filter/plugins/console/developer_console.h"
#include "filter/plugins/info_layer/info_layer_plugin.h"

namespace tl {
namespace {

com::ClassFactory g_filter(&com::CreateMaybeAggregated<FilterVideoDecoder>);
com::ClassFactory g_videoDecoderMPEG2(&com::CreateMaybeAggregated<VideoDecoderMPEG2>);
com::ClassFactory g_videoDecoderH264(&com::CreateNonAggregatable<VideoDecoderH264>);
com::ClassFactory g_layer(&com::CreateNonAggregatable<Layer>);
com::ClassFactory g_developerConsole(&com::CreateNonAggregatable<DeveloperConsole>);
com::ClassFactory g_infoLayer(&com::CreateNonAggregatable<InfoLayerPlugin>);

}  // namespace

ClassTable ModuleClasses() {
    static const ClassEntry entries[] = {
        {&__uuidof(::FilterVideoDecoder), &g_filter, TL_REGISTRY_FILTER, &UpdateFilterRegistration},
        {&__uuidof(::VideoDecoderMPEG2), &g_videoDecoderMPEG2, TL_REGISTRY_VIDEO_DECODER_MPEG2},
        {&__uuidof(::VideoDecoderH264), &g_videoDecoderH264, TL_REGISTRY_VIDEO_DECODER_H264},
        {&__uuidof(::Layer), &g_layer, TL_REGISTRY_LAYER},
        {&__uuidof(::DeveloperConsole), &g_developerConsole, TL_REGISTRY_DEVELOPER_CONSOLE},
        {&__uuidof(::InfoLayer), &g_infoLayer, TL_REGISTRY_INFO_LAYER},
    };
    return {entries, std::size(entries)};
}

}  // namespace tl
