// A decoding path for driving the decoder object in tests: it skips the slices
// of a picture like the real slice layer would consume them and records what
// it was given. An optional hook runs before each picture on the worker, with
// the record the picture goes to.
#pragma once
#include <functional>
#include <mutex>
#include <vector>

#include "engine/framework/decoding_path.h"

namespace tl::test {

class FakePath final : public DecodingPath {
public:
    struct Call {
        int currentIndex;  // pool index of the target record
        bool secondField;
    };
    HResult decodePicture(BitReader& reader, const StreamState& stream, const PictureTargets& targets) override;
    std::uint32_t errors() const override { return 0; }
    void resetErrors() override {}

    std::vector<Call> calls() const;
    std::function<void(int codedIndex, Picture& target)> beforePicture;

private:
    mutable std::mutex mutex_;
    std::vector<Call> calls_;
    int next_ = 0;
};

}  // namespace tl::test
