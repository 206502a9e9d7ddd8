#include "tests/framework/fake_path.h"

namespace tl::test {

HResult skipSlices(BitReader& reader) {
    for (;;) {
        HResult r = reader.nextStartCode();
        if (r != hr::ok) return r;
        const std::uint32_t code = reader.cache & 0xFF;
        if (code < 0x01 || code > 0xAF) return kPictureFinished;
        reader.skipBits(8);
    }
}

HResult FakePath::decodePicture(BitReader& reader, const StreamState&, const PictureTargets& targets) {
    const int index = next_++;
    if (beforePicture) beforePicture(index);
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back({targets.current->index, targets.secondField});
    return skipSlices(reader);
}

std::vector<FakePath::Call> FakePath::calls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}

}  // namespace tl::test
