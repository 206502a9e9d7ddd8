// Turns the parsed macroblocks of one slice into pixels: intra stores, motion
// compensated prediction from the reference pictures, residual adds.
#pragma once
#include <cstdint>

#include "engine/framework/decoding_path.h"
#include "engine/macroblock/picture_params.h"

namespace tl {

struct KernelSlots;

class SliceReconstructor {
public:
    // Takes the picture's geometry and references. References whose size or
    // chroma format differs from the current picture's are treated as missing.
    void begin(const PictureParams& params, const PictureTargets& targets);

    // Reconstructs the macroblock at `address` from its flags word, its vectors
    // in the predictors' [r][s][t] layout (not read for intra macroblocks) and
    // its coded blocks, which are left all zero. Returns false, leaving the
    // blocks as they are, when the macroblock lies beyond the end of the
    // picture or there is no picture to write.
    bool macroblock(std::int32_t address, std::uint32_t flags, const std::int32_t* mv, std::int16_t* blocks) {
        return (this->*macroblock_)(address, flags, mv, blocks);
    }

private:
    struct Destination {
        std::uint8_t* plane[3];
        int stride;
        int chromaStride;
    };
    // Where one prediction reads from: the first luma and chroma samples and
    // the kernel index (2 * vertical half + horizontal half) of each.
    struct Fetch {
        const std::uint8_t* luma;
        const std::uint8_t* cb;
        const std::uint8_t* cr;
        int lumaIndex;
        int chromaIndex;
    };

    const Picture* fieldReference(int s, int parity) const;

    // The layout of the picture is fixed from begin() on: `chroma` (the
    // chroma_format) and `frame` (a frame picture) are template arguments, so
    // the subsampling shifts, the chroma kernels and the choice of prediction
    // fold away in each macroblock. begin() picks the instance.
    using MacroblockFn = bool (SliceReconstructor::*)(std::int32_t, std::uint32_t, const std::int32_t*,
                                                      std::int16_t*);
    template <int chroma, bool frame>
    bool macroblockIn(std::int32_t address, std::uint32_t flags, const std::int32_t* mv, std::int16_t* blocks);
    bool noPicture(std::int32_t, std::uint32_t, const std::int32_t*, std::int16_t*) { return false; }

    template <int chroma>
    void intraStore(const Destination& d, bool fieldDct, std::int16_t* blocks) const;
    template <int chroma>
    void addResidual(const Destination& d, std::uint32_t flags, std::int16_t* blocks) const;
    template <int chroma>
    void predictFrame(const Destination& d, int x, int y, std::uint32_t flags, const std::int32_t* mv) const;
    template <int chroma>
    void predictField(const Destination& d, int x, int y, std::uint32_t flags, const std::int32_t* mv) const;
    // The samples a prediction of 16 x `height` luma lines at (x, y) reads from
    // `picture` (one field of it when `field`) with the vector (mvx, mvy); false
    // when the picture is missing or a sample would lie outside it.
    template <int chroma>
    bool locate(const Picture* picture, bool field, int parity, int x, int y, int height, const Destination& d,
                std::int32_t mvx, std::int32_t mvy, Fetch& f) const;
    // One prediction of 16 x `height` luma lines from one fetch or the average of two.
    template <int chroma>
    void copy(const Destination& d, int height, const Fetch& f) const;
    template <int chroma>
    void average(const Destination& d, int height, const Fetch& f0, const Fetch& f1) const;
    // `n` (0 to 2) fetches.
    template <int chroma>
    void predictFrom(const Destination& d, int height, int n, const Fetch& f0, const Fetch& f1) const;

    MacroblockFn macroblock_ = &SliceReconstructor::noPicture;
    PictureParams params_;
    const KernelSlots* slots_ = nullptr;  // the kernels chosen when the picture began
    const Picture* current_ = nullptr;
    const Picture* forward_ = nullptr;
    const Picture* backward_ = nullptr;
    bool secondField_ = false;
    int width_ = 0;         // luma samples per line
    int height_ = 0;        // luma lines of the frame
    int chromaWidth_ = 0;
    int mbRows_ = 0;        // macroblock rows of the picture (frame or field)
    // Where the picture's macroblock rows start and how far apart its lines
    // are: a field picture writes every second line of the frame.
    std::uint8_t* lumaBase_ = nullptr;
    std::uint8_t* cbBase_ = nullptr;
    std::uint8_t* crBase_ = nullptr;
    int stride_ = 0;
    int chromaStride_ = 0;
    // The address after the last macroblock reconstructed, and its row and column.
    std::int32_t nextAddress_ = -1;
    int nextRow_ = 0;
    int nextColumn_ = 0;
};

}  // namespace tl
