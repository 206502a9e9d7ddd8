#include "tests/support/decoder_inputs.h"

#include <algorithm>

#include "engine/framework/sample_flags.h"
#include "tests/support/recording_host.h"

namespace tl::test {

TestSample* TestSample::make(const std::vector<std::uint8_t>& data, ReferenceTime start, std::uint32_t flags,
                             ReferenceCounter* counter) {
    return new TestSample(data, start, flags, counter);
}

TestSample::TestSample(const std::vector<std::uint8_t>& data, ReferenceTime start, std::uint32_t flags,
                       ReferenceCounter* counter)
    : bytes_(data.empty() ? nullptr : new std::uint8_t[data.size()]), length_(std::int32_t(data.size())),
      start_(start), flags_(flags | (start != kNoTime ? sample_flag::time_valid : 0)), counter_(counter) {
    std::copy(data.begin(), data.end(), bytes_.get());
    if (counter_) ++counter_->live, ++counter_->made;
}

void TestSample::addRef() {
    require(refs_.load() > 0, "reference taken on a released input sample");
    ++refs_;
    if (counter_) ++counter_->live;
}

void TestSample::release() {
    require(refs_.load() > 0, "input sample released more often than referenced");
    if (counter_) --counter_->live;
    if (--refs_ == 0) delete this;
}

InputSample::Properties TestSample::properties() const {
    require(refs_.load() > 0, "properties of a released input sample");
    Properties p;
    p.flags = flags_;
    p.data = bytes_.get();
    p.length = length_;
    p.start = start_;
    return p;
}

}  // namespace tl::test
