#pragma once

// Lanes of single-precision values in GCC's vector extensions, for the block kernels of the
// signal library: four lanes for SSE2 (every x86-64), eight for AVX2 (in functions built with
// target("avx2")). Every operation is the lane-wise IEEE operation, so a kernel that repeats a
// scalar loop's operations in the same order gives the same bits. Internal to the library's
// .cpp files: include it only where the kernels are built.

#include <cstdint>
#include <cstring>

// The helpers are always inlined into entry points built for the instruction set of their
// width, so the calling convention of wide vectors never applies to them.
#pragma GCC diagnostic ignored "-Wpsabi"

#define DSP_LANE_INLINE static inline __attribute__((always_inline))

namespace DSP {

template <int W> struct LaneTypes {
    typedef float VF __attribute__((vector_size(4 * W)));
    typedef std::int32_t VI __attribute__((vector_size(4 * W)));
    typedef double VD __attribute__((vector_size(8 * W)));
};

template <int W> struct VectorLanes {
    // Taken from another template: GCC applies a dependent vector size only that way.
    using VF = typename LaneTypes<W>::VF;
    using VI = typename LaneTypes<W>::VI;
    using VD = typename LaneTypes<W>::VD;

    DSP_LANE_INLINE VF Load(const float* p) {
        VF v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    DSP_LANE_INLINE void Store(float* p, VF v) { std::memcpy(p, &v, sizeof v); }
    DSP_LANE_INLINE VF Splat(float x) { return VF{} + x; }
    DSP_LANE_INLINE VI Bits(VF x) { return (VI)x; } // the same bits, seen as integers
    DSP_LANE_INLINE VF FromBits(VI u) { return (VF)u; }
    DSP_LANE_INLINE VF Select(VI mask, VF yes, VF no) {
        return FromBits((Bits(yes) & mask) | (Bits(no) & ~mask));
    }
    DSP_LANE_INLINE bool AllSet(VI mask) {
        for (int i = 0; i < W; ++i)
            if (mask[i] == 0)
                return false;
        return true;
    }
    DSP_LANE_INLINE VF Abs(VF x) { return FromBits(Bits(x) & 0x7fffffff); }

    // Splits 2W interleaved values (complex points) into their even and odd lanes, and back.
    DSP_LANE_INLINE void Deinterleave(const float* p, VF& even, VF& odd) {
        const VF low = Load(p), high = Load(p + W);
        if constexpr (W == 4) {
            even = __builtin_shufflevector(low, high, 0, 2, 4, 6);
            odd = __builtin_shufflevector(low, high, 1, 3, 5, 7);
        } else {
            even = __builtin_shufflevector(low, high, 0, 2, 4, 6, 8, 10, 12, 14);
            odd = __builtin_shufflevector(low, high, 1, 3, 5, 7, 9, 11, 13, 15);
        }
    }
    DSP_LANE_INLINE void Interleave(VF even, VF odd, float* p) {
        if constexpr (W == 4) {
            Store(p, __builtin_shufflevector(even, odd, 0, 4, 1, 5));
            Store(p + W, __builtin_shufflevector(even, odd, 2, 6, 3, 7));
        } else {
            Store(p, __builtin_shufflevector(even, odd, 0, 8, 1, 9, 2, 10, 3, 11));
            Store(p + W, __builtin_shufflevector(even, odd, 4, 12, 5, 13, 6, 14, 7, 15));
        }
    }
};

// Whether the processor runs AVX2, asked once at load time.
bool CpuHasAvx2();

} // namespace DSP
