// The rows of the Statistics page: the filter's version, one row per pin with its
// connection, what the decoder object knows about the stream and its work, and the
// renderer's lateness. A property that cannot be read leaves its row out.
#pragma once
#include <windows.h>

#include <FilterVideoDecoder.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tl {

struct StatisticsRow {
    std::wstring param;
    std::wstring value;
};

// Bytes per second over at least two seconds. The first sample only starts the
// measurement; until the next update the last rate stands.
class ReadRate {
public:
    // `now` in 100-ns units of the system time.
    std::int64_t Update(std::int64_t now, std::int64_t bytes);

private:
    bool started_ = false;
    std::int64_t time_ = 0;
    std::int64_t bytes_ = 0;
    std::int64_t rate_ = 0;
};

std::vector<StatisticsRow> StatisticsRows(IFilterVideoDecoder* filter, ReadRate* readRate);

}  // namespace tl
