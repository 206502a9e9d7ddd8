// The rows of the Statistics page: the filter's version, one row per pin with its
// connection, what the decoder object knows about the stream and its work, and the
// renderer's lateness. A property that cannot be read leaves its row out.
#pragma once
#include <windows.h>

#include <FilterVideoDecoder.h>

#include <string>
#include <vector>

#include "filter/plugins/info_layer/info_report.h"

namespace tl {

struct StatisticsRow {
    std::wstring param;
    std::wstring value;
};

// The read rate is measured as the information overlay measures it.
std::vector<StatisticsRow> StatisticsRows(IFilterVideoDecoder* filter, ByteRate* readRate);

}  // namespace tl
