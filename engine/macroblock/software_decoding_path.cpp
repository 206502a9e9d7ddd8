#include "engine/macroblock/software_decoding_path.h"

namespace tl {
namespace {

// Skips the slices of a picture; the slice layer replaces this.
class SoftwareDecodingPath final : public DecodingPath {
public:
    HResult decodePicture(BitReader& reader, const StreamState&, const PictureTargets&) override {
        for (;;) {
            HResult r = reader.nextStartCode();
            if (r != hr::ok) return r;
            std::uint32_t code = reader.cache & 0xFF;
            if (code < 0x01 || code > 0xAF) return kPictureFinished;
            reader.skipBits(8);
        }
    }
    std::uint32_t errors() const override { return errors_; }
    void resetErrors() override { errors_ = 0; }

private:
    std::uint32_t errors_ = 0;
};

}  // namespace

std::unique_ptr<DecodingPath> makeSoftwareDecodingPath() {
    return std::make_unique<SoftwareDecodingPath>();
}

}  // namespace tl
