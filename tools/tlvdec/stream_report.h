// tlvdec's --info lines.
#pragma once
#include <cstdint>
#include <cstdio>

#include "engine/framework/stream_info.h"

namespace tl::tlvdec {

// One "key: value" line per property.
void PrintStreamInfo(std::FILE* out, const StreamInfo& info, std::int64_t delivered);

}  // namespace tl::tlvdec
