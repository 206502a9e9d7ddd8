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
#include "filter/property_pages/page_classes.h"

namespace tl {
namespace {

com::ClassFactory g_filter(&com::CreateMaybeAggregated<FilterVideoDecoder>);
com::ClassFactory g_videoDecoderMPEG2(&com::CreateMaybeAggregated<VideoDecoderMPEG2>);
com::ClassFactory g_videoDecoderH264(&com::CreateNonAggregatable<VideoDecoderH264>);
com::ClassFactory g_layer(&com::CreateNonAggregatable<Layer>);
com::ClassFactory g_developerConsole(&com::CreateNonAggregatable<DeveloperConsole>);
com::ClassFactory g_infoLayer(&com::CreateNonAggregatable<InfoLayerPlugin>);
com::ClassFactory g_pageAbout(&CreateAboutPage);
com::ClassFactory g_pageStat(&CreateStatisticsPage);
com::ClassFactory g_pagePref(&CreatePreferencesPage);
com::ClassFactory g_pageSnap(&CreateCapturePage);
com::ClassFactory g_pagePlugins(&CreatePluginsPage);
com::ClassFactory g_pageProcAmp(&CreateProcAmpPage);

}  // namespace

ClassTable ModuleClasses() {
    static const ClassEntry entries[] = {
        {&__uuidof(::FilterVideoDecoder), &g_filter, TL_REGISTRY_FILTER, &UpdateFilterRegistration},
        {&__uuidof(::VideoDecoderMPEG2), &g_videoDecoderMPEG2, TL_REGISTRY_VIDEO_DECODER_MPEG2},
        {&__uuidof(::VideoDecoderH264), &g_videoDecoderH264, TL_REGISTRY_VIDEO_DECODER_H264},
        {&__uuidof(::Layer), &g_layer, TL_REGISTRY_LAYER},
        {&__uuidof(::DeveloperConsole), &g_developerConsole, TL_REGISTRY_DEVELOPER_CONSOLE},
        {&__uuidof(::InfoLayer), &g_infoLayer, TL_REGISTRY_INFO_LAYER},
        {&__uuidof(FilterVideoDecoder_PPageAbout), &g_pageAbout, TL_REGISTRY_PAGE_ABOUT},
        {&__uuidof(FilterVideoDecoder_PPageStat), &g_pageStat, TL_REGISTRY_PAGE_STAT},
        {&__uuidof(FilterVideoDecoder_PPagePref), &g_pagePref, TL_REGISTRY_PAGE_PREF},
        {&__uuidof(FilterVideoDecoder_PPageSnap), &g_pageSnap, TL_REGISTRY_PAGE_SNAP},
        {&__uuidof(FilterVideoDecoder_PPagePlugins), &g_pagePlugins, TL_REGISTRY_PAGE_PLUGINS},
        {&__uuidof(FilterVideoDecoder_PPageProcAmp), &g_pageProcAmp, TL_REGISTRY_PAGE_PROCAMP},
    };
    return {entries, std::size(entries)};
}

}  // namespace tl
