// Number forms of the statistics beyond the grouped integers and durations they
// share with the information overlay: GOP time codes, frame rates with up to
// three decimals.
#pragma once
#include <cstdint>
#include <string>

#include "filter/plugins/info_layer/number_forms.h"

namespace tl {

// "hh:mm:ss (pictures)" of a GOP time code.
std::wstring GopTimeText(long hours, long minutes, long seconds, long pictures);

// 29.97002997 as "29.97", 25.0 as "25".
std::wstring FrameRateText(double rate);

}  // namespace tl
