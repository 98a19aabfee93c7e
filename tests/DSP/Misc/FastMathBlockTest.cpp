#include "DSP/Misc/FastMathBlock.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace {

std::uint32_t BitsOf(float x) {
    std::uint32_t u;
    std::memcpy(&u, &x, sizeof u);
    return u;
}

// Values of every kind a bin can hold: ordinary ones over many octaves, each sign of zero,
// values at and around the axis tolerance, denormals, huge and non-finite ones. Runs of equal
// kinds fill whole vector blocks as well as mixing within them.
std::vector<float> Values(int count, unsigned seed) {
    const float special[] = {0.f,
                             -0.f,
                             1e-6f,
                             -1e-6f,
                             9.9e-7f,
                             1.1e-6f,
                             1e-40f,
                             -3e-42f,
                             std::numeric_limits<float>::denorm_min(),
                             3e38f,
                             -3e38f,
                             std::numeric_limits<float>::infinity(),
                             -std::numeric_limits<float>::infinity(),
                             std::numeric_limits<float>::quiet_NaN(),
                             1.f,
                             -1.f};
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> unit(-1.f, 1.f);
    std::uniform_int_distribution<int> octave(-30, 30), pick(0, std::size(special) - 1);
    std::vector<float> values(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const bool plain = (i / 64) % 2 == 0 || rng() % 4 != 0;
        values[size_t(i)] = plain ? std::ldexp(unit(rng), octave(rng)) : special[pick(rng)];
    }
    return values;
}

namespace Detail = DSP::FastMathBlockDetail;

// The four-lane build, and the eight-lane one where the processor runs it.
template <class F> std::vector<F> Builds(F sse2, F avx2) {
    std::vector<F> builds{sse2};
    if (Detail::Avx2Available())
        builds.push_back(avx2);
    return builds;
}

} // namespace

TEST(FastMathBlock, PolarMatchesTheScalarBinForBinBitForBit) {
    const int n = 4099; // blocks of eight and four, and a remainder
    for (bool negate : {false, true}) {
        std::vector<float> bins = Values(2 * n, negate ? 1 : 2);
        for (int k = 0; k < n; k += 5) // on the diagonals, where the arc tangent changes octant
            bins[size_t(2 * k + 1)] = k % 2 ? bins[size_t(2 * k)] : -bins[size_t(2 * k)];
        std::vector<float> mag(static_cast<size_t>(n)), phase(static_cast<size_t>(n));
        for (auto* polar :
             Builds(&Detail::PolarFromInterleavedSse2, &Detail::PolarFromInterleavedAvx2)) {
            polar(bins.data(), negate, n, mag.data(), phase.data());
            for (int k = 0; k < n; ++k) {
                const float im = bins[size_t(2 * k + 1)];
                float m = 0.f, p = 0.f;
                DSP::PolarOfBin(bins[size_t(2 * k)], negate ? -im : im, m, p);
                ASSERT_EQ(BitsOf(mag[size_t(k)]), BitsOf(m)) << k;
                ASSERT_EQ(BitsOf(phase[size_t(k)]), BitsOf(p)) << k;
            }
        }
        // Without the axis cases: what a complex bin's Mag() and Ang() give.
        for (auto* magAngle :
             Builds(&Detail::MagAngleFromInterleavedSse2, &Detail::MagAngleFromInterleavedAvx2)) {
            magAngle(bins.data(), n, mag.data(), phase.data());
            for (int k = 0; k < n; ++k) {
                const float re = bins[size_t(2 * k)], im = bins[size_t(2 * k + 1)];
                ASSERT_EQ(BitsOf(mag[size_t(k)]), BitsOf(DSP_sqrt(re * re + im * im))) << k;
                ASSERT_EQ(BitsOf(phase[size_t(k)]), BitsOf(DSP_atan2(im, re))) << k;
            }
        }
    }
}

// The phase nearest (2j + 1) pi whose angle / pi rounds to exactly 2j + 1 (the sine's
// reduction then sits on a half turn), stepped by `ulps` from there.
float OnHalfTurn(int j, int ulps) {
    const float odd = float(2 * j + 1);
    float phase = odd * 3.14159265f;
    for (int step = 0; step < 64 && phase * 0.31830987334251404f != odd; ++step)
        phase = std::nextafter(phase, phase * 0.31830987334251404f < odd ? 1e9f : -1e9f);
    for (; ulps != 0; ulps -= ulps > 0 ? 1 : -1)
        phase = std::nextafter(phase, ulps > 0 ? 1e9f : -1e9f);
    return phase;
}

// Phases beyond the fast reduction range and NaN phases send their block to the scalar code;
// phases on and beside half turns test the sine's rounding of its turn count.
TEST(FastMathBlock, InterleavedMatchesTheScalarBinForBinBitForBit) {
    const int n = 4099;
    const std::vector<float> mag = Values(n, 3);
    std::vector<float> phase(static_cast<size_t>(n));
    std::mt19937 rng(4);
    std::uniform_real_distribution<float> angle(-40.f, 40.f);
    for (int k = 0; k < n; ++k)
        phase[size_t(k)] = k % 97 == 0    ? (k % 2 ? 7000.f : -3e11f)
                           : k % 101 == 0 ? NAN
                           : k % 3 == 0   ? OnHalfTurn(k % 2047 - 1023, k % 5 - 2)
                                          : angle(rng);
    std::vector<float> bins(static_cast<size_t>(2 * n));
    for (auto* interleave :
         Builds(&Detail::InterleavedFromPolarSse2, &Detail::InterleavedFromPolarAvx2)) {
        for (bool negate : {false, true}) {
            interleave(mag.data(), phase.data(), negate, n, bins.data());
            for (int k = 0; k < n; ++k) {
                const float m = mag[size_t(k)], a = phase[size_t(k)];
                ASSERT_EQ(BitsOf(bins[size_t(2 * k)]), BitsOf(DSP_cos(a) * m)) << k;
                ASSERT_EQ(BitsOf(bins[size_t(2 * k + 1)]), BitsOf((negate ? -m : m) * DSP_sin(a)))
                    << k;
            }
        }
    }
}

TEST(FastMathBlock, SumOfPolarMatchesTheScalarBinForBinBitForBit) {
    const int n = 4099;
    const std::vector<float> magA = Values(n, 5), magB = Values(n, 6);
    std::vector<float> phaseA(static_cast<size_t>(n)), phaseB(static_cast<size_t>(n));
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> angle(-40.f, 40.f);
    for (int k = 0; k < n; ++k) {
        phaseA[size_t(k)] = k % 89 == 0 ? -9000.f * float(k) : angle(rng);
        phaseB[size_t(k)] = k % 103 == 0  ? NAN
                            : k % 97 == 0 ? 1e11f
                            : k % 7 == 0  ? phaseA[size_t(k)]
                                          : angle(rng);
    }
    std::vector<float> mag(static_cast<size_t>(n)), phase(static_cast<size_t>(n));
    for (auto* sum : Builds(&Detail::SumOfPolarSse2, &Detail::SumOfPolarAvx2)) {
        for (float sign : {1.f, -1.f}) {
            sum(magA.data(), phaseA.data(), magB.data(), phaseB.data(), sign, n, mag.data(),
                phase.data());
            for (int k = 0; k < n; ++k) {
                float m = 0.f, p = 0.f;
                DSP::SumOfPolarBin(magA[size_t(k)], phaseA[size_t(k)], magB[size_t(k)],
                                   phaseB[size_t(k)], sign, m, p);
                ASSERT_EQ(BitsOf(mag[size_t(k)]), BitsOf(m)) << k;
                ASSERT_EQ(BitsOf(phase[size_t(k)]), BitsOf(p)) << k;
            }
        }
    }
}

// Comb angles up to 3e8 rad per bin (beyond the fast reduction range from the second bin on),
// and NaN or wide phases, send their blocks to the scalar code; in place gives the same bits.
TEST(FastMathBlock, CombFilterMatchesTheScalarBinForBinBitForBit) {
    const int n = 1027;
    const std::vector<float> mag = Values(n, 8);
    std::vector<float> phase(static_cast<size_t>(n));
    for (int k = 0; k < n; ++k)
        phase[size_t(k)] = k % 89 == 0 ? -3e11f : k % 103 == 0 ? NAN : 0.0771f * (k % 997) - 38.f;
    for (auto* comb : Builds(&Detail::CombFilterPolarSse2, &Detail::CombFilterPolarAvx2)) {
        for (double radPerBin : {0.0, 0.0123456789, 2.9, 9000.0, 3e8}) {
            std::vector<float> m = mag, p = phase;
            comb(m.data(), p.data(), radPerBin, n, m.data(), p.data());
            for (size_t k = 0; k < size_t(n); ++k) {
                float em = 0.f, ep = 0.f;
                DSP::CombFilterBin(float(double(k) * radPerBin), mag[k], phase[k], em, ep);
                ASSERT_EQ(BitsOf(m[k]), BitsOf(em)) << k;
                ASSERT_EQ(BitsOf(p[k]), BitsOf(ep)) << k;
            }
        }
    }
}

// Sums over values of every kind, one lane per trial with its own count (blocks and a
// remainder). Frequency ratios include halves, values beyond 2^23 (integral already) and
// negative ones (where the floor must not truncate towards zero); low peaks are left out only
// for trials above 500 Hz. Which NaN a sum of two NaNs keeps is the compiler's choice.
TEST(FastMathBlock, MismatchSumsMatchTheScalarBitForBit) {
    auto same = [](float a, float b) { return BitsOf(a) == BitsOf(b) || (a != a && b != b); };
    const int n = 37 * 12;
    std::vector<float> freq = Values(n, 10);
    const std::vector<float> a = Values(n, 11), b = Values(n, 12), c = Values(n, 13);
    for (int k = 0; k < n; k += 3)
        freq[size_t(k)] = 100.f * float(k % 23) + (k % 2 ? 50.f : -250.f);
    std::vector<float> trials = Values(37, 18); // and plausible fundamentals, 35 ... 7630 Hz
    for (int t = 0; t < 37; t += 2)
        trials[size_t(t)] = 35.f + 211.f * float(t);
    const int nTrials = 37;
    std::vector<int> counts, rows;
    for (int t = 0; t < nTrials; ++t) {
        counts.push_back((t * 37) % 204);
        rows.push_back((t * 5) % 13);
    }
    std::vector<float> sums(trials.size());
    for (auto* mp : Builds(&Detail::HarmonicMismatchSumsSse2, &Detail::HarmonicMismatchSumsAvx2)) {
        mp(freq.data(), a.data(), b.data(), c.data(), counts.data(), trials.data(), nTrials, 100.f,
           500.f, sums.data());
        for (size_t t = 0; t < trials.size(); ++t)
            ASSERT_TRUE(
                same(sums[t], DSP::HarmonicMismatchSum(freq.data(), a.data(), b.data(), c.data(),
                                                       counts[t], trials[t], 100.f, 500.f)))
                << t;
    }
    // Rows of nTrials values per harmonic number.
    for (auto* pm :
         Builds(&Detail::PredictedMismatchSumsSse2, &Detail::PredictedMismatchSumsAvx2)) {
        pm(freq.data(), a.data(), b.data(), rows.data(), nTrials, nTrials, 1.4f, 0.5f, sums.data());
        for (int t = 0; t < nTrials; ++t) {
            float expected = 0.f;
            for (int h = 0; h < rows[size_t(t)]; ++h) {
                const size_t i = size_t(h * nTrials + t);
                expected += DSP::PredictedMismatchTerm(freq[i], a[i], b[i], 1.4f, 0.5f);
            }
            ASSERT_TRUE(same(sums[size_t(t)], expected)) << t;
        }
    }
}

// Values of every kind (zero, negative, denormal, at the floor, huge, inf, NaN), in place.
TEST(FastMathBlock, ScaledLog2WithFloorMatchesTheScalarBitForBit) {
    const int n = 1027;
    std::vector<float> x = Values(n, 17);
    for (int k = 0; k < n; k += 11)
        x[size_t(k)] = k % 2 ? 1e-5f : std::nextafter(1e-5f, 0.f);
    for (auto* log2 : Builds(&Detail::ScaledLog2WithFloorSse2, &Detail::ScaledLog2WithFloorAvx2)) {
        std::vector<float> out = x;
        log2(out.data(), n, 1e-5f, -200.f, 6.0206003f, out.data());
        for (size_t k = 0; k < size_t(n); ++k)
            ASSERT_EQ(BitsOf(out[k]), BitsOf(x[k] < 1e-5f ? -200.f : 6.0206003f * DSP_log2(x[k])))
                << k;
    }
}
