// Motion-compensation kernels on 64-bit registers without byte averaging: every
// half-sample and two-source average is formed exactly in 16-bit lanes. Blocks
// are done in 8-column strips, each strip top to bottom.
#include <type_traits>

#include "engine/macroblock/block_ops_mmx.h"
#include "engine/macroblock/motion_kernels.h"

namespace tl::kernels::mmx {
namespace {

using Ops = MmxOps;

struct Words {
    __m64 low, high;
};

Words widen(__m64 v) { return {Ops::unpacklo8(v, Ops::zero()), Ops::unpackhi8(v, Ops::zero())}; }

Words addWords(Words a, Words b) { return {Ops::add16(a.low, b.low), Ops::add16(a.high, b.high)}; }

// (sum + bias) >> shift per lane.
template <int bias, int shift>
Words roundWords(Words sum) {
    const __m64 b = Ops::set16(bias);
    return {Ops::srl16<shift>(Ops::add16(sum.low, b)), Ops::srl16<shift>(Ops::add16(sum.high, b))};
}

// (a + b + 1) >> 1 per lane.
Words averageWords(Words a, Words b) { return roundWords<1, 1>(addWords(a, b)); }

// The rows of an 8-wide prediction at half-sample position (hx, hy), top to
// bottom. With a vertical half the lower row's terms (its horizontal pair sums
// for both halves) are kept for the next row, so each source row is read and
// widened once. Both halves add all four neighbours before one rounding shift.
template <int hx, int hy>
class WordRows {
public:
    WordRows(const std::uint8_t* src, int stride) : s_(src), stride_(stride) {
        if constexpr (hy != 0) below_ = term(s_);
    }

    Words next() {
        Words result;
        if constexpr (hy != 0) {
            const Words above = below_;
            below_ = term(s_ + stride_);
            if constexpr (hx != 0) {
                result = roundWords<2, 2>(addWords(above, below_));
            } else {
                result = averageWords(above, below_);
            }
        } else if constexpr (hx != 0) {
            result = averageWords(widen(Ops::load(s_)), widen(Ops::load(s_ + 1)));
        } else {
            result = widen(Ops::load(s_));
        }
        s_ += stride_;
        return result;
    }

private:
    Words term(const std::uint8_t* s) const {
        if constexpr (hx != 0) {
            return addWords(widen(Ops::load(s)), widen(Ops::load(s + 1)));
        } else {
            return widen(Ops::load(s));
        }
    }

    const std::uint8_t* s_;
    int stride_;
    Words below_{};
};

// The copy moves bytes; everything else goes through 16-bit lanes.
struct WordFamily {
    static constexpr int columns = 8;
    static constexpr int rows = 1;
    template <int hx, int hy>
    using PredictRows = std::conditional_t<hx || hy, WordRows<hx, hy>, ByteRows<Ops, 0, 0>>;
    template <int hx, int hy>
    using AverageRows = WordRows<hx, hy>;

    static Words average(Words a, Words b) { return averageWords(a, b); }
    static void store(std::uint8_t* p, int stride, Words w) {
        Ops::store(p, stride, Ops::packus16(w.low, w.high));
    }
    static void store(std::uint8_t* p, int stride, __m64 v) { Ops::store(p, stride, v); }
    static void finish() { Ops::finish(); }
};

}  // namespace

constexpr MotionKernels motion = motionKernels<FamilyKernels<WordFamily, 16>, FamilyKernels<WordFamily, 8>>();

}  // namespace tl::kernels::mmx
