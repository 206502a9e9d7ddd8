// Number forms of the statistics: integers with their digits grouped in threes,
// durations in days, hours, minutes and seconds, frame rates with up to three
// decimals.
#pragma once
#include <cstdint>
#include <string>

namespace tl {

// 1234567 as "1.234.567"; a negative number keeps its sign in front.
std::wstring GroupedNumber(std::int64_t value);

// A duration in 100-ns units: "- " when negative, then "%d days ", "%d hrs ",
// "%d mins " for the parts that are at least one, and "%d.%03d sec".
std::wstring DurationText(std::int64_t units);

// "hh:mm:ss (pictures)" of a GOP time code.
std::wstring GopTimeText(long hours, long minutes, long seconds, long pictures);

// 29.97002997 as "29.97", 25.0 as "25".
std::wstring FrameRateText(double rate);

}  // namespace tl
