#include "DSP/Data/SpectrumConversions.hpp"

#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using DSP::Array;
using Complex = DSP::ComplexTmpl<float>;
using Polar = DSP::PolarTmpl<float>;
using BPF = DSP::BPFTmpl<float, float>;

template <typename T> Array<T> Of(const std::vector<T>& values) {
    Array<T> a(static_cast<int>(values.size()));
    for (size_t i = 0; i < values.size(); ++i)
        a[static_cast<int>(i)] = values[i];
    return a;
}

// Square root error is below 1.1e-5 relative and arc tangent error below 4.6e-6 rad.
constexpr double kSqrtRelTol = 2e-5;
constexpr double kAngleTol = 1e-5;
// The fast logarithm is within 2.4e-6 octaves: 1.5e-5 dB on amplitudes, 7e-6 dB on powers.
constexpr double kDbTol = 2e-5;

class SpectrumConversionsTest : public ::testing::Test {
protected:
    QuietAssertions quiet;
};

TEST_F(SpectrumConversionsTest, ComplexToMagPhaseSizesTheOutputs) {
    const Array<Complex> bins = Of<Complex>({{3.f, 4.f}, {0.f, 0.f}, {-1.f, 0.f}, {-2.f, -2.f}});
    Array<float> mag, phase(9);
    DSP::Complex2MagPhase(bins, mag, phase);
    ASSERT_EQ(mag.Size(), 4);
    ASSERT_EQ(phase.Size(), 4);
    const double expectedMag[] = {5.0, 0.0, 1.0, std::sqrt(8.0)};
    const double expectedPhase[] = {std::atan2(4.0, 3.0), 0.0, -M_PI, -0.75 * M_PI};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(mag[i], expectedMag[i], expectedMag[i] * kSqrtRelTol) << i;
        EXPECT_NEAR(phase[i], expectedPhase[i], kAngleTol) << i;
    }
}

TEST_F(SpectrumConversionsTest, PolarToMagPhaseCopiesBothParts) {
    const Array<Polar> bins = Of<Polar>({{2.f, 0.5f}, {0.25f, -1.f}});
    Array<float> mag, phase;
    DSP::Polar2MagPhase(bins, mag, phase);
    EXPECT_EQ(mag[1], 0.25f);
    EXPECT_EQ(phase[0], 0.5f);
}

TEST_F(SpectrumConversionsTest, BreakPointFunctionsAreSampledFromZeroToTheRange) {
    BPF magBPF, phaseBPF;
    magBPF.Insert(0.f, 0.f);
    magBPF.Insert(100.f, 10.f);
    phaseBPF.Insert(0.f, 1.f);
    phaseBPF.Insert(100.f, 1.f);
    Array<float> mag, phase;
    DSP::BPF2MagPhase(magBPF, phaseBPF, mag, phase, 5, 100.f);
    ASSERT_EQ(mag.Size(), 5);
    const float expected[] = {0.f, 2.5f, 5.f, 7.5f, 10.f};
    for (int i = 0; i < 5; ++i) {
        EXPECT_FLOAT_EQ(mag[i], expected[i]) << i;
        EXPECT_EQ(phase[i], 1.f) << i;
    }
}

TEST_F(SpectrumConversionsTest, DecibelArraysConvertBothWays) {
    const Array<float> linear = Of<float>({1.f, 10.f, 0.5f, 0.f});
    Array<float> db;
    DSP::Linear2LogMagnitude(linear, db);
    EXPECT_NEAR(db[0], 0.0, kDbTol);
    EXPECT_NEAR(db[1], 20.0, kDbTol);
    EXPECT_NEAR(db[2], -6.0206, kDbTol);
    // No floor here: zero maps to the logarithm's stand-in for minus infinity.
    EXPECT_EQ(db[3], DSP::kDbPerLog2 * -1e8f);

    Array<float> back = Of<float>({20.f, -6.0206f, 0.f});
    DSP::Log2LinearMagnitude(back);
    // The exact power function: only float rounding (a few ulp).
    EXPECT_FLOAT_EQ(back[0], 10.f);
    EXPECT_FLOAT_EQ(back[1], 0.5f);
    EXPECT_EQ(back[2], 1.f);
}

TEST_F(SpectrumConversionsTest, ComplexToLogMagPhaseGivesPowerInDecibels) {
    const Array<Complex> bins = Of<Complex>({{3.f, 4.f}, {1e-11f, 0.f}, {0.f, -1.f}});
    Array<float> logMag(3), phase(3);
    DSP::Complex2LogMagPhase(bins, logMag, phase);
    EXPECT_NEAR(logMag[0], 20.0 * std::log10(5.0), kDbTol);
    EXPECT_EQ(logMag[1], -200.f); // power 1e-22, below the 1e-20 floor
    EXPECT_NEAR(logMag[2], 0.0, kDbTol);
    EXPECT_NEAR(phase[2], -M_PI / 2, kAngleTol);
}

TEST_F(SpectrumConversionsTest, ComplexToLogMagPhaseRefusesMismatchedSizes) {
    const Array<Complex> bins(4);
    Array<float> logMag(4), phase(3);
    EXPECT_DSP_ASSERT(DSP::Complex2LogMagPhase(bins, logMag, phase),
                      "Complex2LogMagPhase() - input/output sizes inconsistent.");
    EXPECT_EQ(phase.Size(), 3);
}

} // namespace
