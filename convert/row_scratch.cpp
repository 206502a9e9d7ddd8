#include "convert/row_scratch.h"

namespace tl {

RowScratch::RowScratch() = default;
RowScratch::~RowScratch() = default;

std::uint8_t* RowScratch::take(std::size_t bytes) {
    if (bytes_.size() < bytes) bytes_.resize(bytes);
    return bytes_.data();
}

}  // namespace tl
