// The number forms of the information overlay's report.
#pragma once
#include <cstdint>
#include <string>

namespace tl {

// Groups of three digits separated by '.', the leading group unpadded:
// 1234567 gives "1.234.567". A negative value gets a leading '-'.
std::wstring GroupedInteger(std::int64_t value);

// An optional '-', the integer part and, when the rounded thousandths are at
// least 1, '.' and three digits: 25.0 gives "25", 29.97 gives "29.970". A
// fraction that rounds to a whole carries into the integer part.
std::wstring DecimalForm(double value);

// A duration in 100 ns units: `minus` for a negative value, then "%d days ",
// "%d hrs ", "%d mins " each only once the value reaches it, then seconds and
// milliseconds as "%d.%03d sec": -15000000 gives "-1.500 sec". The overlay's
// report writes the sign as "-", the Statistics page as "- ".
std::wstring DurationForm(std::int64_t units, const wchar_t* minus = L"-");

}  // namespace tl
