#include "DSP/Misc/FastMathBlock.hpp"

#include "DSP/Misc/VectorLanes.hpp"

#include <cstdint>
#include <cstring>

namespace DSP {

namespace {

template <int W> struct Block : VectorLanes<W> {
    using L = VectorLanes<W>;
    using VF = typename L::VF;
    using VI = typename L::VI;
    using VD = typename L::VD;
    using L::Abs;
    using L::AllSet;
    using L::Bits;
    using L::Deinterleave;
    using L::FromBits;
    using L::Interleave;
    using L::Load;
    using L::Select;
    using L::Splat;
    using L::Store;
    static constexpr float kPi = FastMathDetail::kPi;
    static constexpr float kHalfPi = FastMathDetail::kHalfPi;

    // DSP_sqrt.
    DSP_LANE_INLINE VF Sqrt(VF s) {
        const VI bits = Bits(s);
        const VI e = ((bits >> 23) & 0xff) - 127;
        const VF m = __builtin_convertvector(bits & 0x7fffff, VF) * 1.1920929e-7f;
        VF p = 1.0f + m * (0.49959805607795715f +
                           m * (-0.12047307938337326f +
                                m * (0.04585425183176994f + m * -0.01076564658433199f)));
        p = Select((e & 1) != 0, p * 1.4142135381698608f, p);
        const VF power = FromBits(((e >> 1) + 127) << 23); // e >> 1 floors, as FloorHalf does
        return Select(s > 0.0f, p * power, VF{});
    }

    // AtanUnit.
    DSP_LANE_INLINE VF AtanUnit(VF t) {
        const VF t2 = t * t;
        return t / (1.0f + t2 * (0.3328895f +
                                 t2 * (-0.08467923f + t2 * (0.032522328f + t2 * -0.0074930587f))));
    }

    // DSP_atan2: the branch each lane would take picks its offset and its ratio.
    DSP_LANE_INLINE VF Atan2(VF y, VF x) {
        const VF negX = -x;
        const VI upper = y > 0.0f;
        const VI a = negX >= y, b = y > x, c = y >= x, d = negX > y;
        const VI second = (upper & ~a & b) | (~upper & ~c & d);
        const VF upperOffset = Select(a, Splat(kPi), Select(b, Splat(kHalfPi), VF{}));
        const VF lowerOffset = Select(c, Splat(-kPi), Select(d, Splat(-kHalfPi), VF{}));
        const VF offset = Select(upper, upperOffset, lowerOffset);
        const VF t = Select(second, negX, y) / Select(second, y, x); // one division per lane
        const VF angle = offset + AtanUnit(t);
        return Select((x == 0.0f) & (y == 0.0f), VF{}, angle);
    }

    // The fast reduction range of DSP_sin and DSP_cos for angle / pi.
    DSP_LANE_INLINE VI FastRange(VF v) { return (v > -2048.0f) & (v < 2048.0f); }

    // DSP_sin's polynomial on its reduced argument. The scalar code adds its offset in double
    // precision, where h + 1024.5 (h = v / 2, |h| < 1024) is exact, so its k - 1024 is
    // floor(h + 1/2): here floor(h) plus one where h reaches floor(h) + 1/2 (both exact in
    // single precision).
    DSP_LANE_INLINE VF SinReduced(VF v) {
        const VF h = v * 0.5f;
        const VI truncated = __builtin_convertvector(h, VI);
        const VI below = truncated + (__builtin_convertvector(truncated, VF) > h); // floor(h)
        const VF floorH = __builtin_convertvector(below, VF);
        const VI k = below - (h >= floorH + 0.5f);
        const VF r = v - __builtin_convertvector(2 * k, VF);
        const VF r2 = r * r;
        return r * (3.1415927410125732f +
                    r2 * (-5.167319297790527f +
                          r2 * (2.546205759048462f +
                                r2 * (-0.5860270261764526f + r2 * 0.06554823368787766f))));
    }

    // DSP_cos through the half angle: the offset is added in single precision.
    DSP_LANE_INLINE VF CosReduced(VF v) {
        const VI k = __builtin_convertvector(v * 0.5f + 1024.5f, VI);
        const VF r = v - __builtin_convertvector(2 * (k - 1024), VF);
        const VF r2 = r * r;
        const VF h = r * (1.5707963705062866f +
                          r2 * (-0.6459640860557556f +
                                r2 * (0.079691581428051f + r2 * (-0.004676879849284887f +
                                                                 r2 * 0.00015303015243262053f))));
        return 1.0f - 2.0f * (h * h);
    }

    DSP_LANE_INLINE void Polar(VF re, VF im, float* mag, float* phase) {
        constexpr float kAxisTolerance = 1e-6f;
        const VF absRe = Abs(re), absIm = Abs(im);
        const VI onReal = (absIm < kAxisTolerance) & (absRe > kAxisTolerance);
        const VI onImag = ~onReal & (absRe < kAxisTolerance) & (absIm > kAxisTolerance);
        const VF realPhase = Select(re < 0.0f, Splat(kPi), VF{});
        const VF imagPhase = Select(im < 0.0f, Splat(-kHalfPi), Splat(kHalfPi));
        Store(mag, Select(onReal, absRe, Select(onImag, absIm, Sqrt(re * re + im * im))));
        Store(phase, Select(onReal, realPhase, Select(onImag, imagPhase, Atan2(im, re))));
    }

    DSP_LANE_INLINE void PolarFromInterleaved(const float* bins, bool negateImag, int n, float* mag,
                                              float* phase) {
        int k = 0;
        for (; k + W <= n; k += W) {
            VF re, im;
            Deinterleave(bins + 2 * k, re, im);
            Polar(re, negateImag ? -im : im, mag + k, phase + k);
        }
        for (; k < n; ++k) {
            const float im = bins[2 * k + 1];
            PolarOfBin(bins[2 * k], negateImag ? -im : im, mag[k], phase[k]);
        }
    }

    DSP_LANE_INLINE void ScalarFromPolar(const float* mag, const float* phase, bool negateImag,
                                         int begin, int end, float* bins) {
        for (int k = begin; k < end; ++k) {
            bins[2 * k] = DSP_cos(phase[k]) * mag[k];
            bins[2 * k + 1] = (negateImag ? -mag[k] : mag[k]) * DSP_sin(phase[k]);
        }
    }

    DSP_LANE_INLINE void InterleavedFromPolar(const float* mag, const float* phase, bool negateImag,
                                              int n, float* bins) {
        int k = 0;
        for (; k + W <= n; k += W) {
            const VF m = Load(mag + k);
            const VF v = Load(phase + k) * 0.31830987334251404f;
            if (!AllSet(FastRange(v))) { // a wide angle or NaN: the scalar reference
                ScalarFromPolar(mag, phase, negateImag, k, k + W, bins);
                continue;
            }
            Interleave(CosReduced(v) * m, (negateImag ? -m : m) * SinReduced(v), bins + 2 * k);
        }
        ScalarFromPolar(mag, phase, negateImag, k, n, bins);
    }

    DSP_LANE_INLINE void MagAngleFromInterleaved(const float* bins, int n, float* mag,
                                                 float* phase) {
        int k = 0;
        for (; k + W <= n; k += W) {
            VF re, im;
            Deinterleave(bins + 2 * k, re, im);
            Store(mag + k, Sqrt(re * re + im * im));
            Store(phase + k, Atan2(im, re));
        }
        for (; k < n; ++k) {
            const float re = bins[2 * k], im = bins[2 * k + 1];
            mag[k] = DSP_sqrt(re * re + im * im);
            phase[k] = DSP_atan2(im, re);
        }
    }

    DSP_LANE_INLINE void SumOfPolar(const float* magA, const float* phaseA, const float* magB,
                                    const float* phaseB, float sign, int n, float* mag,
                                    float* phase) {
        int k = 0;
        for (; k + W <= n; k += W) {
            const VF vA = Load(phaseA + k) * 0.31830987334251404f;
            const VF vB = Load(phaseB + k) * 0.31830987334251404f;
            if (!AllSet(FastRange(vA) & FastRange(vB))) { // the scalar reference
                for (int j = k; j < k + W; ++j)
                    SumOfPolarBin(magA[j], phaseA[j], magB[j], phaseB[j], sign, mag[j], phase[j]);
                continue;
            }
            const VF mA = Abs(Load(magA + k));
            VF re = mA * CosReduced(vA);
            VF im = mA * SinReduced(vA);
            const VF mB = sign * Abs(Load(magB + k));
            re += mB * CosReduced(vB);
            im += mB * SinReduced(vB);
            Store(mag + k, Sqrt(re * re + im * im)); // DSP_sqrt is 0 where squares <= 0
            Store(phase + k, Atan2(im, re));
        }
        for (; k < n; ++k)
            SumOfPolarBin(magA[k], phaseA[k], magB[k], phaseB[k], sign, mag[k], phase[k]);
    }

    // std::floor: values of 2^23 and more in magnitude (and inf and NaN) are integers already;
    // below, the truncation moves down by one where it rounded up, and a zero keeps x's sign.
    DSP_LANE_INLINE VF Floor(VF x) {
        const VI small = Abs(x) < 8388608.f;
        VF t = __builtin_convertvector(__builtin_convertvector(Select(small, x, VF{}), VI), VF);
        t = Select(t > x, t - 1.f, t);
        t = Select(t == 0.f, FromBits(Bits(x) & static_cast<std::int32_t>(0x80000000u)), t);
        return Select(small, t, x);
    }

    DSP_LANE_INLINE void PredictedMismatchSums(const float* harmonics, const float* peaks,
                                               const float* weights, const int* counts, int nTrials,
                                               int stride, float freqWeight, float offset,
                                               float* sums) {
        int t = 0;
        for (; t + W <= nTrials; t += W) {
            VI count;
            std::memcpy(&count, counts + t, sizeof count);
            int longest = 0;
            for (int j = 0; j < W; ++j)
                longest = count[j] > longest ? count[j] : longest;
            VF sum{};
            for (int h = 0; h < longest; ++h) {
                const int i = h * stride + t;
                const VF harmonic = Load(harmonics + i);
                const VF d = Abs(Load(peaks + i) - harmonic) / Sqrt(harmonic);
                const VF term = d + (freqWeight * d - offset) * Load(weights + i);
                sum = Select(h < count, sum + term, sum);
            }
            Store(sums + t, sum);
        }
        for (; t < nTrials; ++t) {
            float sum = 0.f;
            for (int h = 0; h < counts[t]; ++h) {
                const int i = h * stride + t;
                sum +=
                    PredictedMismatchTerm(harmonics[i], peaks[i], weights[i], freqWeight, offset);
            }
            sums[t] = sum;
        }
    }

    // One lane per trial; each lane adds its terms in the scalar order.
    DSP_LANE_INLINE void HarmonicMismatchSums(const float* freq, const float* scale,
                                              const float* factor, const float* offset,
                                              const int* counts, const float* trials, int nTrials,
                                              float ignoreBelowHz, float ignoreAboveTrialHz,
                                              float* sums) {
        int t = 0;
        for (; t + W <= nTrials; t += W) {
            const VF trial = Load(trials + t);
            VI count;
            std::memcpy(&count, counts + t, sizeof count);
            int longest = 0;
            for (int j = 0; j < W; ++j)
                longest = count[j] > longest ? count[j] : longest;
            const VI trialIgnores = trial > ignoreAboveTrialHz;
            VF sum{};
            for (int i = 0; i < longest; ++i) {
                const VF f = Splat(freq[i]);
                const VF harmonic = Select(trial > f, trial, trial * Floor(f / trial + 0.5f));
                const VF d = Abs(f - harmonic) / scale[i];
                const VF term = d * factor[i] - offset[i];
                const VI ignored = trialIgnores & (f < ignoreBelowHz);
                sum = Select((i < count) & ~ignored, sum + term, sum);
            }
            Store(sums + t, sum);
        }
        for (; t < nTrials; ++t)
            sums[t] = HarmonicMismatchSum(freq, scale, factor, offset, counts[t], trials[t],
                                          ignoreBelowHz, ignoreAboveTrialHz);
    }

    // DSP_log2.
    DSP_LANE_INLINE VF Log2(VF x) {
        const VI bits = Bits(x);
        const VF f = __builtin_convertvector(bits & 0x7fffff, VF) * 1.1920929e-7f;
        const VF poly =
            f *
            (1.4425449f +
             f * (-0.71814525f +
                  f * (0.45754918f + f * (-0.27790534f + f * (0.12179791f + f * -0.025841450f)))));
        const VF log2 = poly + __builtin_convertvector(((bits >> 23) & 0xff) - 127, VF);
        return Select(x > 0.0f, log2, Splat(-1e8f));
    }

    DSP_LANE_INLINE void ScaledLog2WithFloor(const float* x, int n, float below, float floorValue,
                                             float scale, float* out) {
        int k = 0;
        for (; k + W <= n; k += W) {
            const VF v = Load(x + k);
            Store(out + k, Select(v < below, Splat(floorValue), scale * Log2(v)));
        }
        for (; k < n; ++k)
            out[k] = x[k] < below ? floorValue : scale * DSP_log2(x[k]);
    }

    // The bin indices k ... k + W - 1 in double precision.
    DSP_LANE_INLINE VD Indices(int k) {
        VD index;
        for (int i = 0; i < W; ++i)
            index[i] = static_cast<double>(k + i);
        return index;
    }

    DSP_LANE_INLINE void CombFilterPolar(const float* mag, const float* phase, double radPerBin,
                                         int n, float* outMag, float* outPhase) {
        int k = 0;
        for (; k + W <= n; k += W) {
            const VF theta = __builtin_convertvector(Indices(k) * radPerBin, VF);
            const VF vH = theta * 0.31830987334251404f;
            const VF vZ = Load(phase + k) * 0.31830987334251404f;
            if (!AllSet(FastRange(vH) & FastRange(vZ))) { // the scalar reference
                for (int j = k; j < k + W; ++j)
                    CombFilterBin(static_cast<float>(j * radPerBin), mag[j], phase[j], outMag[j],
                                  outPhase[j]);
                continue;
            }
            const VF hRe = (1.f + CosReduced(vH)) / 2.f;
            const VF hIm = (1.f - SinReduced(vH)) / 2.f;
            const VF m = Load(mag + k);
            const VF zRe = m * CosReduced(vZ);
            const VF zIm = m * SinReduced(vZ);
            const VF re = hRe * zRe - hIm * zIm;
            const VF im = hRe * zIm + hIm * zRe;
            Store(outMag + k, Sqrt(re * re + im * im));
            Store(outPhase + k, Atan2(im, re));
        }
        for (; k < n; ++k)
            CombFilterBin(static_cast<float>(k * radPerBin), mag[k], phase[k], outMag[k],
                          outPhase[k]);
    }
};

bool HasAvx2() {
    return CpuHasAvx2();
}

} // namespace

// Asked once, at load time, so that the render thread never meets a guarded static.
static const bool kHasAvx2 = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
}();

bool CpuHasAvx2() {
    return kHasAvx2;
}

namespace FastMathBlockDetail {

void PolarFromInterleavedSse2(const float* bins, bool negateImag, int n, float* mag, float* phase) {
    Block<4>::PolarFromInterleaved(bins, negateImag, n, mag, phase);
}

__attribute__((target("avx2"))) void PolarFromInterleavedAvx2(const float* bins, bool negateImag,
                                                              int n, float* mag, float* phase) {
    Block<8>::PolarFromInterleaved(bins, negateImag, n, mag, phase);
}

void InterleavedFromPolarSse2(const float* mag, const float* phase, bool negateImag, int n,
                              float* bins) {
    Block<4>::InterleavedFromPolar(mag, phase, negateImag, n, bins);
}

void MagAngleFromInterleavedSse2(const float* bins, int n, float* mag, float* phase) {
    Block<4>::MagAngleFromInterleaved(bins, n, mag, phase);
}

__attribute__((target("avx2"))) void MagAngleFromInterleavedAvx2(const float* bins, int n,
                                                                 float* mag, float* phase) {
    Block<8>::MagAngleFromInterleaved(bins, n, mag, phase);
}

__attribute__((target("avx2"))) void InterleavedFromPolarAvx2(const float* mag, const float* phase,
                                                              bool negateImag, int n, float* bins) {
    Block<8>::InterleavedFromPolar(mag, phase, negateImag, n, bins);
}

void SumOfPolarSse2(const float* magA, const float* phaseA, const float* magB, const float* phaseB,
                    float sign, int n, float* mag, float* phase) {
    Block<4>::SumOfPolar(magA, phaseA, magB, phaseB, sign, n, mag, phase);
}

__attribute__((target("avx2"))) void SumOfPolarAvx2(const float* magA, const float* phaseA,
                                                    const float* magB, const float* phaseB,
                                                    float sign, int n, float* mag, float* phase) {
    Block<8>::SumOfPolar(magA, phaseA, magB, phaseB, sign, n, mag, phase);
}

void CombFilterPolarSse2(const float* mag, const float* phase, double radPerBin, int n,
                         float* outMag, float* outPhase) {
    Block<4>::CombFilterPolar(mag, phase, radPerBin, n, outMag, outPhase);
}

__attribute__((target("avx2"))) void CombFilterPolarAvx2(const float* mag, const float* phase,
                                                         double radPerBin, int n, float* outMag,
                                                         float* outPhase) {
    Block<8>::CombFilterPolar(mag, phase, radPerBin, n, outMag, outPhase);
}

void PredictedMismatchSumsSse2(const float* harmonics, const float* peaks, const float* weights,
                               const int* counts, int nTrials, int stride, float freqWeight,
                               float offset, float* sums) {
    Block<4>::PredictedMismatchSums(harmonics, peaks, weights, counts, nTrials, stride, freqWeight,
                                    offset, sums);
}

__attribute__((target("avx2"))) void
PredictedMismatchSumsAvx2(const float* harmonics, const float* peaks, const float* weights,
                          const int* counts, int nTrials, int stride, float freqWeight,
                          float offset, float* sums) {
    Block<8>::PredictedMismatchSums(harmonics, peaks, weights, counts, nTrials, stride, freqWeight,
                                    offset, sums);
}

void HarmonicMismatchSumsSse2(const float* freq, const float* scale, const float* factor,
                              const float* offset, const int* counts, const float* trials,
                              int nTrials, float ignoreBelowHz, float ignoreAboveTrialHz,
                              float* sums) {
    Block<4>::HarmonicMismatchSums(freq, scale, factor, offset, counts, trials, nTrials,
                                   ignoreBelowHz, ignoreAboveTrialHz, sums);
}

__attribute__((target("avx2"))) void
HarmonicMismatchSumsAvx2(const float* freq, const float* scale, const float* factor,
                         const float* offset, const int* counts, const float* trials, int nTrials,
                         float ignoreBelowHz, float ignoreAboveTrialHz, float* sums) {
    Block<8>::HarmonicMismatchSums(freq, scale, factor, offset, counts, trials, nTrials,
                                   ignoreBelowHz, ignoreAboveTrialHz, sums);
}

void ScaledLog2WithFloorSse2(const float* x, int n, float below, float floorValue, float scale,
                             float* out) {
    Block<4>::ScaledLog2WithFloor(x, n, below, floorValue, scale, out);
}

__attribute__((target("avx2"))) void ScaledLog2WithFloorAvx2(const float* x, int n, float below,
                                                             float floorValue, float scale,
                                                             float* out) {
    Block<8>::ScaledLog2WithFloor(x, n, below, floorValue, scale, out);
}

bool Avx2Available() {
    return HasAvx2();
}

} // namespace FastMathBlockDetail

void PolarFromInterleaved(const float* bins, bool negateImag, int n, float* mag, float* phase) {
    if (HasAvx2())
        FastMathBlockDetail::PolarFromInterleavedAvx2(bins, negateImag, n, mag, phase);
    else
        FastMathBlockDetail::PolarFromInterleavedSse2(bins, negateImag, n, mag, phase);
}

void InterleavedFromPolar(const float* mag, const float* phase, bool negateImag, int n,
                          float* bins) {
    if (HasAvx2())
        FastMathBlockDetail::InterleavedFromPolarAvx2(mag, phase, negateImag, n, bins);
    else
        FastMathBlockDetail::InterleavedFromPolarSse2(mag, phase, negateImag, n, bins);
}

void MagAngleFromInterleaved(const float* bins, int n, float* mag, float* phase) {
    if (HasAvx2())
        FastMathBlockDetail::MagAngleFromInterleavedAvx2(bins, n, mag, phase);
    else
        FastMathBlockDetail::MagAngleFromInterleavedSse2(bins, n, mag, phase);
}

void SumOfPolar(const float* magA, const float* phaseA, const float* magB, const float* phaseB,
                float sign, int n, float* mag, float* phase) {
    if (HasAvx2())
        FastMathBlockDetail::SumOfPolarAvx2(magA, phaseA, magB, phaseB, sign, n, mag, phase);
    else
        FastMathBlockDetail::SumOfPolarSse2(magA, phaseA, magB, phaseB, sign, n, mag, phase);
}

void CombFilterPolar(const float* mag, const float* phase, double radPerBin, int n, float* outMag,
                     float* outPhase) {
    if (HasAvx2())
        FastMathBlockDetail::CombFilterPolarAvx2(mag, phase, radPerBin, n, outMag, outPhase);
    else
        FastMathBlockDetail::CombFilterPolarSse2(mag, phase, radPerBin, n, outMag, outPhase);
}

void PredictedMismatchSums(const float* harmonics, const float* peaks, const float* weights,
                           const int* counts, int nTrials, int stride, float freqWeight,
                           float offset, float* sums) {
    if (HasAvx2())
        FastMathBlockDetail::PredictedMismatchSumsAvx2(harmonics, peaks, weights, counts, nTrials,
                                                       stride, freqWeight, offset, sums);
    else
        FastMathBlockDetail::PredictedMismatchSumsSse2(harmonics, peaks, weights, counts, nTrials,
                                                       stride, freqWeight, offset, sums);
}

void HarmonicMismatchSums(const float* freq, const float* scale, const float* factor,
                          const float* offset, const int* counts, const float* trials, int nTrials,
                          float ignoreBelowHz, float ignoreAboveTrialHz, float* sums) {
    if (HasAvx2())
        FastMathBlockDetail::HarmonicMismatchSumsAvx2(freq, scale, factor, offset, counts, trials,
                                                      nTrials, ignoreBelowHz, ignoreAboveTrialHz,
                                                      sums);
    else
        FastMathBlockDetail::HarmonicMismatchSumsSse2(freq, scale, factor, offset, counts, trials,
                                                      nTrials, ignoreBelowHz, ignoreAboveTrialHz,
                                                      sums);
}

void ScaledLog2WithFloor(const float* x, int n, float below, float floorValue, float scale,
                         float* out) {
    if (HasAvx2())
        FastMathBlockDetail::ScaledLog2WithFloorAvx2(x, n, below, floorValue, scale, out);
    else
        FastMathBlockDetail::ScaledLog2WithFloorSse2(x, n, below, floorValue, scale, out);
}

} // namespace DSP
