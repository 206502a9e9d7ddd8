// The information overlay's report: one line per pin of the filter,
// then what the decoder object knows about the stream, each line ending in
// "\r\n". Built only from what any plug-in can reach: the site's pins, its
// `decoder` and `RendererLateness`.
#pragma once
#include <FilterVideoDecoder.h>

#include <cstdint>
#include <string>

namespace tl {

// The input data rate, measured over at least two seconds; the Statistics page
// measures it the same way.
class ByteRate {
public:
    // `now` in 100 ns units (FILETIME), `bytes` the decoder's TotalBytesRead.
    // Returns the rate in bytes per second: the first call takes the reference,
    // later calls recompute once 2 s have passed since it and move it to now.
    std::int64_t Update(std::int64_t now, std::int64_t bytes);

private:
    bool started_ = false;
    std::int64_t referenceTime_ = 0;
    std::int64_t referenceBytes_ = 0;
    std::int64_t rate_ = 0;
};

// Raises HResultError(E_OUTOFMEMORY) or std::bad_alloc when a string cannot be
// allocated. Failing queries shorten the report instead.
std::wstring BuildInfoReport(IFilterVideoDecoder* site, ByteRate& rate, std::int64_t now);

}  // namespace tl
