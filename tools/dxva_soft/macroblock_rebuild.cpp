#include "tools/dxva_soft/macroblock_rebuild.h"

#include <algorithm>
#include <cstring>

#include "engine/dxva/little_endian.h"
#include "engine/macroblock/dct_coefficient_tables.h"
#include "engine/macroblock/kernel_slots.h"

namespace tl::dxva_soft {
namespace {

using dxva::get16;
using dxva::get32;

// wMBtype fields.
constexpr std::uint16_t kIntra = 1u << 0;
constexpr std::uint16_t kForward = 1u << 1;  // backward is the next bit: kForward << 1
constexpr std::uint16_t kFieldResidual = 1u << 5;
constexpr std::uint16_t kScanAlternate = 1u << 6;
constexpr std::uint16_t kHostResidDiff = 1u << 10;
constexpr int kMotionTypeShift = 8;
constexpr std::uint16_t fieldSelect(int r, int s) { return std::uint16_t(1u << (12 + 2 * r + s)); }

// Motion types (bits 8-9): frame pictures field / frame / dual prime, field
// pictures field / 16x8 / dual prime; field (1) is what the others are not.
constexpr int kMotionFrameOr16x8 = 2;
constexpr int kMotionDualPrime = 3;

constexpr int kPictureStructureFrame = 3;
constexpr int kPictureStructureBottom = 2;

struct Record {
    std::uint32_t address;
    std::uint16_t type;
    std::uint32_t dataOffset;
    std::uint16_t pattern;  // bit 11 = block 0
    int counts[6];
    std::int32_t vectors[4][2];  // first forward, first backward, second forward, second backward

    bool coded(int block) const { return pattern & (0x800u >> block); }
};

Record readRecord(const std::uint8_t* p, bool withVectors) {
    Record r{};
    r.address = get16(p);
    r.type = get16(p + 2);
    r.dataOffset = 4 * get32(p + 4);
    r.pattern = std::uint16_t(get16(p + 8) & 0xFFF);
    for (int b = 0; b < 6; ++b) r.counts[b] = p[10 + b];
    if (withVectors)
        for (int i = 0; i < 4; ++i) {
            r.vectors[i][0] = std::int16_t(get16(p + 16 + 4 * i));
            r.vectors[i][1] = std::int16_t(get16(p + 18 + 4 * i));
        }
    return r;
}

// One plane set seen as a frame or as one of its fields.
struct View {
    std::uint8_t* planes[3];
    int strides[3];
    int lines;  // luma lines of the view
};

View frameView(const Surface& s) {
    return View{{s.planes[0], s.planes[1], s.planes[2]}, {s.strides[0], s.strides[1], s.strides[2]}, s.height};
}

View fieldView(const Surface& s, int parity) {
    View v{};
    for (int c = 0; c < 3; ++c) {
        v.planes[c] = s.planes[c] + parity * s.strides[c];
        v.strides[c] = 2 * s.strides[c];
    }
    v.lines = s.height / 2;
    return v;
}

struct Prediction {
    const View* source;
    std::int32_t mvx, mvy;
};

class Rebuilder {
public:
    explicit Rebuilder(const PictureContext& picture) : pic_(picture) {
        const dxva::DXVA_PictureParameters& pp = picture.params;
        frame_ = pp.bPicStructure == kPictureStructureFrame;
        parity_ = pp.bPicStructure == kPictureStructureBottom ? 1 : 0;
        mbWidth_ = pp.wPicWidthInMBminus1 + 1;
        mbRows_ = pp.wPicHeightInMBminus1 + 1;
        destination_ = frame_ ? frameView(*pic_.current) : fieldView(*pic_.current, parity_);
    }

    void rebuild(const Record& r, const std::uint8_t* data, std::uint32_t available) {
        const int mbx = int(r.address % std::uint32_t(mbWidth_));
        const int mby = int(r.address / std::uint32_t(mbWidth_));
        if (mby >= mbRows_) return;
        const int x = 16 * mbx, y = 16 * mby;
        const bool intra = r.type & kIntra;
        if (!intra) predict(r, x, y);
        residual(r, x, y, data, available);
    }

private:
    // --- prediction ---

    const Surface* referenceFor(int s, int parity) const {
        if (s == 1) return pic_.backward;
        // The second field of a P frame predicts from its own first field.
        const bool pFrame = !pic_.params.bPicIntra && !pic_.params.bPicBackwardPrediction;
        if (!frame_ && pic_.params.bSecondField && pFrame && parity != parity_) return pic_.current;
        return pic_.forward;
    }

    // 16 x `height` luma lines at (x, y) of `dest` from one or two predictions.
    void predictBlock(const View& dest, int x, int y, int height, const Prediction* p, int n) {
        const std::uint8_t* luma[2];
        const std::uint8_t* chroma[2][2];
        int lumaIndex[2], chromaIndex[2];
        const int cx = x / 2, cy = y / 2, ch = height / 2;
        const int width = pic_.current->width;
        for (int i = 0; i < n; ++i) {
            const View& v = *p[i].source;
            const int sx = x + (p[i].mvx >> 1), sy = y + (p[i].mvy >> 1);
            const int hx = p[i].mvx & 1, hy = p[i].mvy & 1;
            if (sx < 0 || sy < 0 || sx + 16 + hx > width || sy + height + hy > v.lines) return;
            luma[i] = v.planes[0] + sy * v.strides[0] + sx;
            lumaIndex[i] = 2 * hy + hx;
            const std::int32_t cmx = p[i].mvx / 2, cmy = p[i].mvy / 2;
            const int csx = cx + (cmx >> 1), csy = cy + (cmy >> 1);
            const int chx = cmx & 1, chy = cmy & 1;
            if (csx < 0 || csy < 0 || csx + 8 + chx > width / 2 || csy + ch + chy > v.lines / 2) return;
            for (int c = 0; c < 2; ++c) chroma[i][c] = v.planes[1 + c] + csy * v.strides[1 + c] + csx;
            chromaIndex[i] = 2 * chy + chx;
        }
        std::uint8_t* d[3] = {dest.planes[0] + y * dest.strides[0] + x,
                              dest.planes[1] + cy * dest.strides[1] + cx,
                              dest.planes[2] + cy * dest.strides[2] + cx};
        const KernelSlots& k = kernelSlots();
        if (n == 1) {
            k.predictWide[lumaIndex[0]](d[0], luma[0], dest.strides[0], height);
            for (int c = 0; c < 2; ++c)
                k.predictNarrow[chromaIndex[0]](d[1 + c], chroma[0][c], dest.strides[1 + c], ch);
        } else {
            k.averageWide[4 * lumaIndex[0] + lumaIndex[1]](luma[0], luma[1], d[0], dest.strides[0], height);
            for (int c = 0; c < 2; ++c)
                k.averageNarrow[4 * chromaIndex[0] + chromaIndex[1]](chroma[0][c], chroma[1][c], d[1 + c],
                                                                      dest.strides[1 + c], ch);
        }
    }

    void predict(const Record& r, int x, int y) {
        const int motion = (r.type >> kMotionTypeShift) & 3;
        View sources[2];
        Prediction p[2];
        if (frame_) {
            const Surface* refs[2] = {pic_.forward, pic_.backward};
            if (motion == kMotionFrameOr16x8) {
                int n = 0;
                for (int s = 0; s < 2; ++s) {
                    if (!(r.type & (kForward << s)) || !refs[s]) continue;
                    sources[n] = frameView(*refs[s]);
                    p[n] = Prediction{&sources[n], r.vectors[s][0], r.vectors[s][1]};
                    ++n;
                }
                if (n) predictBlock(destination_, x, y, 16, p, n);
                return;
            }
            // Field prediction in a frame: each field of the macroblock (8
            // lines) from a field of a reference; vertical vectors in frame units.
            for (int f = 0; f < 2; ++f) {
                const View dest = fieldView(*pic_.current, f);
                int n = 0;
                for (int s = 0; s < 2; ++s) {
                    const bool dual = motion == kMotionDualPrime;
                    if (!dual && !(r.type & (kForward << s))) continue;
                    const Surface* ref = dual ? pic_.forward : refs[s];
                    if (!ref) continue;
                    sources[n] = fieldView(*ref, (r.type & fieldSelect(f, s)) ? 1 : 0);
                    const std::int32_t* v = r.vectors[2 * f + s];
                    p[n] = Prediction{&sources[n], v[0], v[1] >> 1};
                    ++n;
                }
                if (n) predictBlock(dest, x, y / 2, 8, p, n);
            }
            return;
        }
        if (motion == kMotionDualPrime) {
            for (int i = 0; i < 2; ++i) {
                const int parity = (r.type & fieldSelect(0, i)) ? 1 : 0;
                const Surface* ref = referenceFor(0, parity);
                if (!ref) return;
                sources[i] = fieldView(*ref, parity);
                p[i] = Prediction{&sources[i], r.vectors[i][0], r.vectors[i][1]};
            }
            predictBlock(destination_, x, y, 16, p, 2);
            return;
        }
        const int halves = motion == kMotionFrameOr16x8 ? 2 : 1;
        for (int half = 0; half < halves; ++half) {
            int n = 0;
            for (int s = 0; s < 2; ++s) {
                if (!(r.type & (kForward << s))) continue;
                const int parity = (r.type & fieldSelect(half, s)) ? 1 : 0;
                const Surface* ref = referenceFor(s, parity);
                if (!ref) continue;
                sources[n] = fieldView(*ref, parity);
                const std::int32_t* v = r.vectors[2 * half + s];
                p[n] = Prediction{&sources[n], v[0], v[1]};
                ++n;
            }
            if (n) predictBlock(destination_, x, y + 8 * half, 16 / halves, p, n);
        }
    }

    // --- residual ---

    // Reads one block's coefficients at `data`, places them by the scan and
    // transforms them. Returns the bytes read, 0 when they do not fit.
    std::uint32_t transformCoefficients(const std::uint8_t* data, std::uint32_t available, int count,
                                        const std::uint8_t* scan, std::int16_t* block) {
        std::memset(block, 0, 128);
        const bool grouped = pic_.config.bConfig4GroupedCoefs;
        const std::uint32_t bytes = grouped ? 12 * std::uint32_t((count + 3) / 4) : 4 * std::uint32_t(count);
        if (bytes > available) return 0;
        int position = -1;
        for (int i = 0; i < count; ++i) {
            int run;
            std::int16_t value;
            if (grouped) {
                const std::uint8_t* group = data + 12 * (i / 4);
                const int j = i % 4;
                run = group[3 - j];
                value = std::int16_t(get16(group + 10 - 2 * j));
            } else {
                run = get16(data + 4 * i) >> 1;
                value = std::int16_t(get16(data + 4 * i + 2));
            }
            position += run + 1;
            if (position > 63) break;
            block[scan[position]] = value;
        }
        kernelSlots().idct(block, 1);
        return bytes;
    }

    // Adds (or, intra, stores centred on 128) one 8x8 block of samples.
    static void applyBlock(std::uint8_t* dst, int stride, const std::int16_t* block, bool intra) {
        for (int row = 0; row < 8; ++row)
            for (int col = 0; col < 8; ++col) {
                const int base = intra ? 128 : dst[row * stride + col];
                dst[row * stride + col] = std::uint8_t(std::clamp(base + block[8 * row + col], 0, 255));
            }
    }

    void residual(const Record& r, int x, int y, const std::uint8_t* data, std::uint32_t available) {
        const bool intra = r.type & kIntra;
        const bool host = r.type & kHostResidDiff;
        const bool eightBit = host && pic_.params.bPicIntra;
        const std::uint8_t* scan = (r.type & kScanAlternate) ? kAlternateScan : kZigZagScan;
        const bool fieldResidual = r.type & kFieldResidual;
        alignas(16) std::int16_t block[64];
        std::uint32_t used = 0;
        for (int b = 0; b < 6; ++b) {
            if (!r.coded(b)) continue;
            if (host) {
                const std::uint32_t bytes = eightBit ? 64 : 128;
                if (used + bytes > available) return;
                for (int i = 0; i < 64; ++i)
                    block[i] = eightBit ? std::int8_t(data[used + i]) : std::int16_t(get16(data + used + 2 * i));
                used += bytes;
            } else {
                if (r.counts[b] == 0) continue;
                const std::uint32_t bytes =
                    transformCoefficients(data + used, available - used, r.counts[b], scan, block);
                if (!bytes) return;
                used += bytes;
            }
            std::uint8_t* dst;
            int stride;
            if (b < 4) {
                const int line = fieldResidual ? (b >> 1) : 8 * (b >> 1);
                stride = fieldResidual ? 2 * destination_.strides[0] : destination_.strides[0];
                dst = destination_.planes[0] + (y + line) * destination_.strides[0] + x + 8 * (b & 1);
            } else {
                const int c = b - 3;
                stride = destination_.strides[c];
                dst = destination_.planes[c] + (y / 2) * stride + x / 2;
            }
            applyBlock(dst, stride, block, intra);
        }
    }

    const PictureContext& pic_;
    bool frame_ = true;
    int parity_ = 0;
    int mbWidth_ = 1, mbRows_ = 1;
    View destination_{};
};

}  // namespace

void rebuildMacroblocks(const PictureContext& picture, const std::uint8_t* control, std::uint32_t count,
                        const std::uint8_t* residual, std::uint32_t residualSize) {
    if (!picture.current) return;
    const bool withVectors = !picture.params.bPicIntra;
    const std::uint32_t recordSize = withVectors ? 32 : 16;
    Rebuilder rebuilder(picture);
    for (std::uint32_t i = 0; i < count; ++i) {
        const Record r = readRecord(control + i * recordSize, withVectors);
        if (r.dataOffset > residualSize) continue;
        rebuilder.rebuild(r, residual + r.dataOffset, residualSize - r.dataOffset);
    }
}

}  // namespace tl::dxva_soft
