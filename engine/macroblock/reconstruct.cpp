#include "engine/macroblock/reconstruct.h"

#include "engine/base/picture.h"
#include "engine/macroblock/kernel_slots.h"
#include "engine/macroblock/macroblock_flags.h"

namespace tl {
namespace {

// Chroma subsampling of each chroma_format, and its blocks per macroblock.
constexpr int chromaShiftX(int chroma) { return chroma == CHROMA_444 ? 0 : 1; }
constexpr int chromaShiftY(int chroma) { return chroma == CHROMA_420 ? 1 : 0; }
constexpr int blockCount(int chroma) { return chroma == CHROMA_444 ? 12 : chroma == CHROMA_422 ? 8 : 6; }

bool samePlanes(const Picture* a, const Picture* b) {
    return b && b->planes[0] && b->planes[1] && b->planes[2] && b->lumaStride == a->lumaStride &&
           b->lumaSize == a->lumaSize && b->chromaStride == a->chromaStride && b->chromaFormat == a->chromaFormat;
}

}  // namespace

void SliceReconstructor::begin(const PictureParams& params, const PictureTargets& targets) {
    params_ = params;
    current_ = nullptr;
    macroblock_ = &SliceReconstructor::noPicture;
    const Picture* c = targets.current;
    if (!c || !c->planes[0] || !c->planes[1] || !c->planes[2] || c->lumaStride <= 0) return;
    width_ = c->lumaStride;
    // Whole pairs of field line pairs: with the width a whole number of
    // macroblocks, every luma fetch inside the plane then has its chroma
    // fetch inside the chroma planes (see locate()). A buffer of any other
    // height loses at most its last lines to predictions.
    height_ = (c->lumaSize / c->lumaStride) & ~3;
    chromaWidth_ = width_ >> chromaShiftX(params.chroma_format);
    if (width_ != 16 * params.mb_width || c->chromaStride != chromaWidth_ || c->chromaFormat != params.chroma_format)
        return;
    mbRows_ = params.framePicture() ? height_ / 16 : height_ / 32;
    // A field picture writes every second line, from the first or second.
    const bool frame = params.framePicture();
    const int parity = params.picture_structure == BOTTOM_FIELD ? 1 : 0;
    stride_ = frame ? width_ : 2 * width_;
    chromaStride_ = frame ? chromaWidth_ : 2 * chromaWidth_;
    lumaBase_ = c->planes[0] + (frame ? 0 : parity * width_);
    cbBase_ = c->planes[1] + (frame ? 0 : parity * chromaWidth_);
    crBase_ = c->planes[2] + (frame ? 0 : parity * chromaWidth_);
    nextAddress_ = -1;
    current_ = c;
    slots_ = &kernelSlots();
    forward_ = samePlanes(c, targets.forward) ? targets.forward : nullptr;
    backward_ = samePlanes(c, targets.backward) ? targets.backward : nullptr;
    secondField_ = targets.secondField;
    static constexpr MacroblockFn kLayouts[3][2] = {
        {&SliceReconstructor::macroblockIn<CHROMA_420, false>, &SliceReconstructor::macroblockIn<CHROMA_420, true>},
        {&SliceReconstructor::macroblockIn<CHROMA_422, false>, &SliceReconstructor::macroblockIn<CHROMA_422, true>},
        {&SliceReconstructor::macroblockIn<CHROMA_444, false>, &SliceReconstructor::macroblockIn<CHROMA_444, true>},
    };
    macroblock_ = kLayouts[params.chroma_format - CHROMA_420][frame ? 1 : 0];
}

// In the second field of a P frame, the field of the other parity is the first
// field of the frame being decoded.
const Picture* SliceReconstructor::fieldReference(int s, int parity) const {
    if (s == 1) return backward_;
    const int currentParity = params_.picture_structure == BOTTOM_FIELD ? 1 : 0;
    if (secondField_ && params_.picture_coding_type == PICTURE_P && parity != currentParity) return current_;
    return forward_;
}

// Every sample a kernel would read must lie inside the reference plane, the
// extra column and line of half-sample positions included. Valid streams never
// point outside; for those that do, the prediction is skipped (luma and chroma
// alike) and the residual lands on what the destination held. Only the luma
// fetch is tested: the destination's position and size are even in every
// subsampled direction and so is the room the plane leaves beyond it, and a
// vector halved toward zero and applied at half the position stays within
// half that room.
// The planes are read from the picture records themselves, which nothing has
// written lately: a copy built on the stack just before would stall the wide
// loads the compiler makes of neighbouring pointers.
template <int chroma>
inline bool SliceReconstructor::locate(const Picture* picture, bool field, int parity, int x, int y, int height,
                                       const Destination& d, std::int32_t mvx, std::int32_t mvy, Fetch& f) const {
    if (!picture) return false;
    const int lines = field ? height_ >> 1 : height_;
    const int sx = x + (mvx >> 1);
    const int sy = y + (mvy >> 1);
    const int hx = mvx & 1;
    const int hy = mvy & 1;
    if (sx < 0 || sy < 0 || sx + 16 + hx > width_ || sy + height + hy > lines) return false;

    // Chroma vectors are the luma ones divided by two with truncation toward
    // zero in each subsampled direction.
    constexpr int shiftX = chromaShiftX(chroma), shiftY = chromaShiftY(chroma);
    const std::int32_t cmx = shiftX ? mvx / 2 : mvx;
    const std::int32_t cmy = shiftY ? mvy / 2 : mvy;
    const int csx = (x >> shiftX) + (cmx >> 1);
    const int csy = (y >> shiftY) + (cmy >> 1);
    const int chx = cmx & 1;
    const int chy = cmy & 1;
    const int chromaOffset = parity * chromaWidth_ + csy * d.chromaStride + csx;
    f.luma = picture->planes[0] + parity * width_ + sy * d.stride + sx;
    f.cb = picture->planes[1] + chromaOffset;
    f.cr = picture->planes[2] + chromaOffset;
    f.lumaIndex = 2 * hy + hx;
    f.chromaIndex = 2 * chy + chx;
    return true;
}

// Inlined into every prediction that uses it: its set-up and the call cost as
// much as what it does outside the kernels.
template <int chroma>
__attribute__((always_inline)) inline void SliceReconstructor::copy(const Destination& d, int height,
                                                                    const Fetch& f) const {
    const KernelSlots& k = *slots_;
    const int chromaH = height >> chromaShiftY(chroma);
    k.predictWide[f.lumaIndex](d.plane[0], f.luma, d.stride, height);
    const auto chromaPredict = chromaShiftX(chroma) ? k.predictNarrow[f.chromaIndex] : k.predictWide[f.chromaIndex];
    chromaPredict(d.plane[1], f.cb, d.chromaStride, chromaH);
    chromaPredict(d.plane[2], f.cr, d.chromaStride, chromaH);
}

// Inlined like copy(): the destination then stays in registers instead of
// being built on the stack for a call in every macroblock.
template <int chroma>
__attribute__((always_inline)) inline void SliceReconstructor::average(const Destination& d, int height,
                                                                       const Fetch& f0, const Fetch& f1) const {
    const KernelSlots& k = *slots_;
    const int chromaH = height >> chromaShiftY(chroma);
    k.averageWide[4 * f0.lumaIndex + f1.lumaIndex](f0.luma, f1.luma, d.plane[0], d.stride, height);
    const int index = 4 * f0.chromaIndex + f1.chromaIndex;
    const auto chromaAverage = chromaShiftX(chroma) ? k.averageNarrow[index] : k.averageWide[index];
    chromaAverage(f0.cb, f1.cb, d.plane[1], d.chromaStride, chromaH);
    chromaAverage(f0.cr, f1.cr, d.plane[2], d.chromaStride, chromaH);
}

template <int chroma>
void SliceReconstructor::predictFrom(const Destination& d, int height, int n, const Fetch& f0, const Fetch& f1) const {
    if (n == 1)
        copy<chroma>(d, height, f0);
    else if (n == 2)
        average<chroma>(d, height, f0, f1);
}

// mv holds [r][s][t]: first forward h, v, first backward h, v, second forward...
// Inlined into macroblockIn(), its one caller, whose registers are already
// saved: a call of its own saved them again for every predicted macroblock.
template <int chroma>
__attribute__((always_inline)) inline void SliceReconstructor::predictFrame(const Destination& d, int x, int y,
                                                                            std::uint32_t flags,
                                                                            const std::int32_t* mv) const {
    const std::uint32_t type = motionTypeOf(flags);
    Fetch f0;
    Fetch f1;
    if (type == MC_FRAME) {
        switch (flags & (mb::motionForward | mb::motionBackward)) {
        case mb::motionForward:
            if (locate<chroma>(forward_, false, 0, x, y, 16, d, mv[0], mv[1], f0)) copy<chroma>(d, 16, f0);
            return;
        case mb::motionBackward:
            if (locate<chroma>(backward_, false, 0, x, y, 16, d, mv[2], mv[3], f0)) copy<chroma>(d, 16, f0);
            return;
        case mb::motionForward | mb::motionBackward:
            if (locate<chroma>(forward_, false, 0, x, y, 16, d, mv[0], mv[1], f0) &&
                locate<chroma>(backward_, false, 0, x, y, 16, d, mv[2], mv[3], f1))
                average<chroma>(d, 16, f0, f1);
            return;
        default:
            return;
        }
    }
    if (type != MC_FIELD && type != MC_DUAL_PRIME) return;

    // Two field predictions, each into every second line of the macroblock;
    // field vectors keep their vertical component in frame units.
    const Picture* refs[2] = {forward_, backward_};
    for (int f = 0; f < 2; ++f) {
        const Destination df{{d.plane[0] + f * d.stride, d.plane[1] + f * d.chromaStride,
                              d.plane[2] + f * d.chromaStride},
                             2 * d.stride, 2 * d.chromaStride};
        int n = 0;
        bool found = true;
        for (int s = 0; s < 2 && found; ++s) {
            // Dual prime: both vectors of one field line set come from the
            // forward reference, the second one being the derived vector.
            if (type == MC_FIELD && !(flags & (mb::motionForward << s))) continue;
            const int parity = (flags & mb::fieldSelect(f, s)) ? 1 : 0;
            const Picture* picture = type == MC_DUAL_PRIME ? forward_ : refs[s];
            found = locate<chroma>(picture, true, parity, x, y / 2, 8, df, mv[4 * f + 2 * s],
                                   mv[4 * f + 2 * s + 1] >> 1, n++ ? f1 : f0);
        }
        if (found) predictFrom<chroma>(df, 8, n, f0, f1);
    }
}

template <int chroma>
void SliceReconstructor::predictField(const Destination& d, int x, int y, std::uint32_t flags,
                                      const std::int32_t* mv) const {
    const std::uint32_t type = motionTypeOf(flags);
    Fetch f0;
    Fetch f1;
    if (type == MC_DUAL_PRIME) {
        // Same-parity field with the decoded vector, opposite parity with the
        // derived one (the first field of this frame in a second field).
        const int p0 = (flags & mb::fieldSelect(0, 0)) ? 1 : 0;
        const int p1 = (flags & mb::fieldSelect(0, 1)) ? 1 : 0;
        if (locate<chroma>(fieldReference(0, p0), true, p0, x, y, 16, d, mv[0], mv[1], f0) &&
            locate<chroma>(fieldReference(0, p1), true, p1, x, y, 16, d, mv[2], mv[3], f1))
            average<chroma>(d, 16, f0, f1);
        return;
    }
    if (type != MC_FIELD && type != MC_16X8) return;

    const int halves = type == MC_16X8 ? 2 : 1;
    const int height = 16 / halves;
    for (int r = 0; r < halves; ++r) {
        const int chromaLines = (8 * r) >> chromaShiftY(chroma);
        const Destination dr{{d.plane[0] + 8 * r * d.stride, d.plane[1] + chromaLines * d.chromaStride,
                              d.plane[2] + chromaLines * d.chromaStride},
                             d.stride, d.chromaStride};
        int n = 0;
        bool found = true;
        for (int s = 0; s < 2 && found; ++s) {
            if (!(flags & (mb::motionForward << s))) continue;
            const int parity = (flags & mb::fieldSelect(r, s)) ? 1 : 0;
            found = locate<chroma>(fieldReference(s, parity), true, parity, x, y + 8 * r, height, dr, mv[4 * r + 2 * s],
                           mv[4 * r + 2 * s + 1], n++ ? f1 : f0);
        }
        if (found) predictFrom<chroma>(dr, height, n, f0, f1);
    }
}

// Inline: macroblockIn() is its one caller.
template <int chroma>
inline void SliceReconstructor::intraStore(const Destination& d, bool fieldDct, std::int16_t* blocks) const {
    const KernelSlots& k = *slots_;
    (fieldDct ? k.intraStore16Field : k.intraStore16Frame)(d.plane[0], d.stride, blocks);
    std::int16_t* b = blocks + 4 * 64;
    if constexpr (chroma == CHROMA_420) {
        k.intraStore8(d.plane[1], d.chromaStride, b);
        k.intraStore8(d.plane[2], d.chromaStride, b + 64);
    } else {
        auto store = fieldDct ? k.intraStore8x16Field : k.intraStore8x16Frame;
        store(d.plane[1], d.chromaStride, b, b + 2 * 64);
        store(d.plane[2], d.chromaStride, b + 64, b + 3 * 64);
        if constexpr (chroma == CHROMA_444) {
            store(d.plane[1] + 8, d.chromaStride, b + 4 * 64, b + 6 * 64);
            store(d.plane[2] + 8, d.chromaStride, b + 5 * 64, b + 7 * 64);
        }
    }
}

// Inline: macroblockIn() is its one caller.
template <int chroma>
inline void SliceReconstructor::addResidual(const Destination& d, std::uint32_t flags, std::int16_t* blocks) const {
    const KernelSlots& k = *slots_;
    const bool fieldDct = flags & mb::fieldDct;
    if ((flags & 0xF0000000u) == 0xF0000000u) {
        (fieldDct ? k.addResidual16Field : k.addResidual16Frame)(d.plane[0], d.stride, blocks);
        blocks += 4 * 64;
    } else {
        // Straight from one coded block to the next: which ones are coded is
        // too random for a branch per block.
        const int step = fieldDct ? 2 * d.stride : d.stride;
        const int lower = fieldDct ? d.stride : 8 * d.stride;
        for (std::uint32_t coded = flags & 0xF0000000u; coded;) {
            const int b = __builtin_clz(coded);
            coded &= ~mb::coded(b);
            k.addResidual8(d.plane[0] + lower * (b >> 1) + 8 * (b & 1), step, blocks);
            blocks += 64;
        }
    }
    if constexpr (chroma == CHROMA_420) {
        for (int c = 0; c < 2; ++c) {
            if (!(flags & mb::coded(4 + c))) continue;
            k.addResidual8(d.plane[1 + c], d.chromaStride, blocks);
            blocks += 64;
        }
        return;
    }
    // 4:2:2 and 4:4:4: Cb and Cr blocks alternate; each component's blocks go
    // upper left, lower left, upper right, lower right.
    for (int b = 4; b < blockCount(chroma); ++b) {
        if (!(flags & mb::coded(b))) continue;
        const int j = (b - 4) >> 1;
        const int lower = j & 1;
        const int right = j >> 1;
        const int line = fieldDct ? lower : 8 * lower;
        const int stride = fieldDct ? 2 * d.chromaStride : d.chromaStride;
        k.addResidual8(d.plane[1 + ((b - 4) & 1)] + line * d.chromaStride + 8 * right, stride, blocks);
        blocks += 64;
    }
}

template <int chroma, bool frame>
bool SliceReconstructor::macroblockIn(std::int32_t address, std::uint32_t flags, const std::int32_t* mv,
                                      std::int16_t* blocks) {
    if (address < 0) return false;
    // A slice that runs past the end of its row continues on the next row, and
    // stops at the end of the picture. Macroblocks mostly arrive in order, so
    // the position is carried on rather than divided out.
    if (address != nextAddress_) {
        nextRow_ = address / params_.mb_width;
        nextColumn_ = address % params_.mb_width;
    }
    const int row = nextRow_;
    const int column = nextColumn_;
    nextAddress_ = address + 1;
    if (++nextColumn_ == params_.mb_width) {
        nextColumn_ = 0;
        ++nextRow_;
    }
    if (row >= mbRows_) return false;

    const int x = 16 * column;
    const int y = 16 * row;
    const int cOffset = (y >> chromaShiftY(chroma)) * chromaStride_ + (x >> chromaShiftX(chroma));
    const Destination d{{lumaBase_ + y * stride_ + x, cbBase_ + cOffset, crBase_ + cOffset}, stride_, chromaStride_};
    if (flags & mb::intra) {
        intraStore<chroma>(d, flags & mb::fieldDct, blocks);
        return true;
    }
    if constexpr (frame)
        predictFrame<chroma>(d, x, y, flags, mv);
    else
        predictField<chroma>(d, x, y, flags, mv);
    addResidual<chroma>(d, flags, blocks);
    return true;
}

}  // namespace tl
