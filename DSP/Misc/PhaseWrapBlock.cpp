#include "DSP/Misc/PhaseWrapBlock.hpp"

#include "DSP/Misc/PhaseWrap.hpp"
#include "DSP/Misc/VectorLanes.hpp"

namespace DSP {

namespace {

template <int W> struct Block : VectorLanes<W> {
    using typename VectorLanes<W>::VF;
    using typename VectorLanes<W>::VI;
    using typename VectorLanes<W>::VD;
    using VectorLanes<W>::Load;
    using VectorLanes<W>::Store;
    using VectorLanes<W>::Bits;
    using VectorLanes<W>::FromBits;
    using VectorLanes<W>::Select;
    using VectorLanes<W>::Abs;

    // std::floor: values of 2^23 and more in magnitude (and NaN, infinities) are whole already;
    // below, the truncation less one where it rounded up, with x's sign (floor(-0) is -0).
    DSP_LANE_INLINE VF Floor(VF x) {
        const VI small = Abs(x) < 8388608.0f;
        VF whole = __builtin_convertvector(__builtin_convertvector(Select(small, x, VF{}), VI), VF);
        whole = whole - Select(whole > x, VF{} + 1.0f, VF{});
        const VF withSign = FromBits((Bits(whole) & 0x7fffffff) | (Bits(x) & ~0x7fffffff));
        return Select(small, withSign, x);
    }

    DSP_LANE_INLINE void WrapPhaseSums(const float* a, const float* b, int n, float* out) {
        int k = 0;
        for (; k + W <= n; k += W) {
            const VF phase = Load(a + k) + Load(b + k);
            const VF turns = Floor(phase / kTwoPi);
            const VD wrapped = __builtin_convertvector(phase, VD) +
                               __builtin_convertvector(turns, VD) * -static_cast<double>(kTwoPi);
            Store(out + k, __builtin_convertvector(wrapped, VF));
        }
        for (; k < n; ++k)
            out[k] = WrapPhase(a[k] + b[k]);
    }
};

} // namespace

namespace PhaseWrapBlockDetail {

void WrapPhaseSumsSse2(const float* a, const float* b, int n, float* out) {
    Block<4>::WrapPhaseSums(a, b, n, out);
}

__attribute__((target("avx2"))) void WrapPhaseSumsAvx2(const float* a, const float* b, int n,
                                                       float* out) {
    Block<8>::WrapPhaseSums(a, b, n, out);
}

} // namespace PhaseWrapBlockDetail

void WrapPhaseSums(const float* a, const float* b, int n, float* out) {
    if (CpuHasAvx2())
        PhaseWrapBlockDetail::WrapPhaseSumsAvx2(a, b, n, out);
    else
        PhaseWrapBlockDetail::WrapPhaseSumsSse2(a, b, n, out);
}

} // namespace DSP
