#include "tests/framework/fake_path.h"

namespace tl::test {
namespace {

// Consumes the slices of a picture as the slice layer would, up to the next
// start code that is not a slice.
HResult skipSlices(BitReader& reader) {
    for (;;) {
        HResult r = reader.nextStartCode();
        if (r != hr::ok) return r;
        const std::uint32_t code = reader.cache & 0xFF;
        if (code < 0x01 || code > 0xAF) return kPictureFinished;
        reader.skipBits(8);
    }
}

}  // namespace

HResult FakePath::decodePicture(BitReader& reader, const StreamState&, const PictureTargets& targets) {
    const int index = next_++;
    if (beforePicture) beforePicture(index, *targets.current);
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back({targets.current->index, targets.secondField});
    return skipSlices(reader);
}

std::vector<FakePath::Call> FakePath::calls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}

}  // namespace tl::test
