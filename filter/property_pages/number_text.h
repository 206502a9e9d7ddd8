// Number forms of the statistics beyond the grouped integers they share with the
// information overlay: durations in days, hours, minutes and seconds, GOP time
// codes, frame rates with up to three decimals.
#pragma once
#include <cstdint>
#include <string>

#include "filter/plugins/info_layer/number_forms.h"

namespace tl {

// A duration in 100-ns units: "- " when negative, then "%d days ", "%d hrs ",
// "%d mins " for the parts that are at least one, and "%d.%03d sec".
std::wstring DurationText(std::int64_t units);

// "hh:mm:ss (pictures)" of a GOP time code.
std::wstring GopTimeText(long hours, long minutes, long seconds, long pictures);

// 29.97002997 as "29.97", 25.0 as "25".
std::wstring FrameRateText(double rate);

}  // namespace tl
