#include "DSP/Misc/FastMathBlock.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace {

using Floats = std::vector<float>;

// Whether `actual` and `expected` hold the same bits; which NaN a sum of two NaNs keeps is the
// compiler's choice, so any NaN matches any NaN where `anyNaN` says so.
::testing::AssertionResult SameBits(const Floats& actual, const Floats& expected,
                                    bool anyNaN = false) {
    for (size_t k = 0; k < expected.size(); ++k) {
        const float a = actual[k], e = expected[k];
        if (std::memcmp(&a, &e, sizeof a) != 0 && !(anyNaN && a != a && e != e))
            return ::testing::AssertionFailure() << "at " << k << ": " << a << " != " << e;
    }
    return ::testing::AssertionSuccess();
}

// Values of every kind a bin can hold: ordinary ones over many octaves, each sign of zero,
// values at and around the axis tolerance, denormals, huge and non-finite ones. Runs of equal
// kinds fill whole vector blocks as well as mixing within them.
Floats Values(size_t count, unsigned seed) {
    const float inf = std::numeric_limits<float>::infinity(); // 1e-45f is the least denormal
    const float special[] = {0.f,    -0.f,  1e-6f,  -1e-6f, 9.9e-7f, 1.1e-6f, 1e-40f, -3e-42f,
                             1e-45f, 3e38f, -3e38f, inf,    -inf,    NAN,     1.f,    -1.f};
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> unit(-1.f, 1.f);
    std::uniform_int_distribution<int> octave(-30, 30), pick(0, std::size(special) - 1);
    Floats values(count);
    for (size_t i = 0; i < count; ++i) {
        const bool plain = (i / 64) % 2 == 0 || rng() % 4 != 0;
        values[i] = plain ? std::ldexp(unit(rng), octave(rng)) : special[pick(rng)];
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
    const size_t n = 4099; // blocks of eight and four, and a remainder
    for (bool negate : {false, true}) {
        Floats bins = Values(2 * n, negate ? 1 : 2);
        for (size_t k = 0; k < n; k += 5) // on the diagonals, where the arc tangent changes octant
            bins[2 * k + 1] = k % 2 ? bins[2 * k] : -bins[2 * k];
        Floats mag(n), phase(n), polarMag(n), polarPhase(n), magOnly(n), angleOnly(n);
        for (size_t k = 0; k < n; ++k) {
            const float re = bins[2 * k], im = bins[2 * k + 1];
            DSP::PolarOfBin(re, negate ? -im : im, polarMag[k], polarPhase[k]);
            // Without the axis cases: what a complex bin's Mag() and Ang() give.
            magOnly[k] = DSP_sqrt(re * re + im * im);
            angleOnly[k] = DSP_atan2(im, re);
        }
        for (auto* polar :
             Builds(&Detail::PolarFromInterleavedSse2, &Detail::PolarFromInterleavedAvx2)) {
            polar(bins.data(), negate, int(n), mag.data(), phase.data());
            EXPECT_TRUE(SameBits(mag, polarMag));
            EXPECT_TRUE(SameBits(phase, polarPhase));
        }
        for (auto* magAngle :
             Builds(&Detail::MagAngleFromInterleavedSse2, &Detail::MagAngleFromInterleavedAvx2)) {
            magAngle(bins.data(), int(n), mag.data(), phase.data());
            EXPECT_TRUE(SameBits(mag, magOnly));
            EXPECT_TRUE(SameBits(phase, angleOnly));
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
    const size_t n = 4099;
    const Floats mag = Values(n, 3);
    Floats phase(n);
    std::mt19937 rng(4);
    std::uniform_real_distribution<float> angle(-40.f, 40.f);
    for (size_t k = 0; k < n; ++k)
        phase[k] = k % 97 == 0    ? (k % 2 ? 7000.f : -3e11f)
                   : k % 101 == 0 ? NAN
                   : k % 3 == 0   ? OnHalfTurn(int(k % 2047) - 1023, int(k % 5) - 2)
                                  : angle(rng);
    for (bool negate : {false, true}) {
        Floats expected(2 * n), bins(2 * n);
        for (size_t k = 0; k < n; ++k) {
            expected[2 * k] = DSP_cos(phase[k]) * mag[k];
            expected[2 * k + 1] = (negate ? -mag[k] : mag[k]) * DSP_sin(phase[k]);
        }
        for (auto* interleave :
             Builds(&Detail::InterleavedFromPolarSse2, &Detail::InterleavedFromPolarAvx2)) {
            interleave(mag.data(), phase.data(), negate, int(n), bins.data());
            EXPECT_TRUE(SameBits(bins, expected)) << negate;
        }
    }
}

TEST(FastMathBlock, SumOfPolarMatchesTheScalarBinForBinBitForBit) {
    const size_t n = 4099;
    const Floats magA = Values(n, 5), magB = Values(n, 6);
    Floats phaseA(n), phaseB(n);
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> angle(-40.f, 40.f);
    for (size_t k = 0; k < n; ++k) {
        phaseA[k] = k % 89 == 0 ? -9000.f * float(k) : angle(rng);
        phaseB[k] = k % 103 == 0 ? NAN : k % 97 == 0 ? 1e11f : k % 7 == 0 ? phaseA[k] : angle(rng);
    }
    for (float sign : {1.f, -1.f}) {
        Floats mag(n), phase(n), expectedMag(n), expectedPhase(n);
        for (size_t k = 0; k < n; ++k)
            DSP::SumOfPolarBin(magA[k], phaseA[k], magB[k], phaseB[k], sign, expectedMag[k],
                               expectedPhase[k]);
        for (auto* sum : Builds(&Detail::SumOfPolarSse2, &Detail::SumOfPolarAvx2)) {
            sum(magA.data(), phaseA.data(), magB.data(), phaseB.data(), sign, int(n), mag.data(),
                phase.data());
            EXPECT_TRUE(SameBits(mag, expectedMag)) << sign;
            EXPECT_TRUE(SameBits(phase, expectedPhase)) << sign;
        }
    }
}

// Comb angles up to 3e8 rad per bin (beyond the fast reduction range from the second bin on),
// and NaN or wide phases, send their blocks to the scalar code; in place gives the same bits.
TEST(FastMathBlock, CombFilterMatchesTheScalarBinForBinBitForBit) {
    const size_t n = 1027;
    const Floats mag = Values(n, 8);
    Floats phase(n);
    for (size_t k = 0; k < n; ++k)
        phase[k] = k % 89 == 0 ? -3e11f : k % 103 == 0 ? NAN : 0.0771f * float(k % 997) - 38.f;
    for (double radPerBin : {0.0, 0.0123456789, 2.9, 9000.0, 3e8}) {
        Floats expectedMag(n), expectedPhase(n);
        for (size_t k = 0; k < n; ++k)
            DSP::CombFilterBin(float(double(k) * radPerBin), mag[k], phase[k], expectedMag[k],
                               expectedPhase[k]);
        for (auto* comb : Builds(&Detail::CombFilterPolarSse2, &Detail::CombFilterPolarAvx2)) {
            Floats m = mag, p = phase;
            comb(m.data(), p.data(), radPerBin, int(n), m.data(), p.data());
            EXPECT_TRUE(SameBits(m, expectedMag)) << radPerBin;
            EXPECT_TRUE(SameBits(p, expectedPhase)) << radPerBin;
        }
    }
}

// Sums over values of every kind, one lane per trial with its own count (blocks and a
// remainder). Frequency ratios include halves, values beyond 2^23 (integral already) and
// negative ones (where the floor must not truncate towards zero); low peaks are left out only
// for trials above 500 Hz. Which NaN a sum of two NaNs keeps is the compiler's choice.
TEST(FastMathBlock, MismatchSumsMatchTheScalarBitForBit) {
    const int nTrials = 37;
    Floats freq = Values(nTrials * 12, 10);
    const Floats a = Values(freq.size(), 11), b = Values(freq.size(), 12),
                 c = Values(freq.size(), 13);
    for (size_t k = 0; k < freq.size(); k += 3)
        freq[k] = 100.f * float(k % 23) + (k % 2 ? 50.f : -250.f);
    Floats trials = Values(nTrials, 18); // and plausible fundamentals, 35 ... 7630 Hz
    for (size_t t = 0; t < trials.size(); t += 2)
        trials[t] = 35.f + 211.f * float(t);
    std::vector<int> counts, rows;
    Floats sums(trials.size()), harmonic, predicted(trials.size(), 0.f);
    for (int t = 0; t < nTrials; ++t) {
        counts.push_back((t * 37) % 204);
        rows.push_back((t * 5) % 13);
        harmonic.push_back(DSP::HarmonicMismatchSum(freq.data(), a.data(), b.data(), c.data(),
                                                    counts.back(), trials[size_t(t)], 100.f,
                                                    500.f));
        // Rows of nTrials values per harmonic number.
        for (size_t i = size_t(t); i < size_t(rows.back() * nTrials); i += nTrials)
            predicted[size_t(t)] += DSP::PredictedMismatchTerm(freq[i], a[i], b[i], 1.4f, 0.5f);
    }
    for (auto* mp : Builds(&Detail::HarmonicMismatchSumsSse2, &Detail::HarmonicMismatchSumsAvx2)) {
        mp(freq.data(), a.data(), b.data(), c.data(), counts.data(), trials.data(), nTrials, 100.f,
           500.f, sums.data());
        EXPECT_TRUE(SameBits(sums, harmonic, true));
    }
    for (auto* pm :
         Builds(&Detail::PredictedMismatchSumsSse2, &Detail::PredictedMismatchSumsAvx2)) {
        pm(freq.data(), a.data(), b.data(), rows.data(), nTrials, nTrials, 1.4f, 0.5f, sums.data());
        EXPECT_TRUE(SameBits(sums, predicted, true));
    }
}

// Values of every kind (zero, negative, denormal, at the floor, huge, inf, NaN), in place.
TEST(FastMathBlock, ScaledLog2WithFloorMatchesTheScalarBitForBit) {
    Floats x = Values(1027, 17), expected;
    for (size_t k = 0; k < x.size(); k += 11)
        x[k] = k % 2 ? 1e-5f : std::nextafter(1e-5f, 0.f);
    for (float v : x)
        expected.push_back(v < 1e-5f ? -200.f : 6.0206003f * DSP_log2(v));
    for (auto* log2 : Builds(&Detail::ScaledLog2WithFloorSse2, &Detail::ScaledLog2WithFloorAvx2)) {
        Floats out = x;
        log2(out.data(), int(out.size()), 1e-5f, -200.f, 6.0206003f, out.data());
        EXPECT_TRUE(SameBits(out, expected));
    }
}
