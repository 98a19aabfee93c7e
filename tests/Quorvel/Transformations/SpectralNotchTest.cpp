#include "Quorvel/Transformations/SpectralNotch.hpp"
#include "Quorvel/Transformations/OscillatingSpectralNotch.hpp"

#include "Quorvel/Transformations/SpectrumFrames.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <vector>

namespace {

const double kMinus50 = Linear(-50);

// The factors of the bins next to the band (outside) and on its edges (inside).
double Outside(double g) {
    return 0.25 * g + 0.75;
}
double Inside(double g) {
    return 0.75 * g + 0.25;
}

DSP::Spectrum Input() {
    DSP::Spectrum in = MakeSpectrum(kEngineBins);
    Fill(
        in, [](int k) { return 2.f + 0.003f * static_cast<float>(k); },
        [](int k) { return -0.02f * static_cast<float>(k); });
    return in;
}

template <class Notch> class NotchTest : public EffectTest<Notch> {
protected:
    std::vector<double> Run() { return this->Factors(Input()); }
    // One frame: the bins whose magnitude changed.
    std::set<int> ScaledBins() {
        const std::vector<double> factors = Run();
        std::set<int> bins;
        for (int k = 0; k < kEngineBins; ++k)
            if (factors[k] != 1.0)
                bins.insert(k);
        return bins;
    }
};
using SpectralNotchTest = NotchTest<DSP::SpectralNotch>;
using OscillatingSpectralNotchTest = NotchTest<DSP::OscillatingSpectralNotch>;

void ExpectFactor(const std::vector<double>& factors, int bin, double expected) {
    EXPECT_NEAR(factors[bin], expected, kDbRelativeTolerance * expected) << "bin " << bin;
}

TEST_F(SpectralNotchTest, InitialNotchCutsOneOctaveAroundFiveHundredHertz) {
    // Edges 353.6 Hz and 707.1 Hz: lo = bin 8, hi = bin 16.
    const std::vector<double> factors = Run();
    for (int k = 9; k <= 14; ++k)
        ExpectFactor(factors, k, kMinus50);
    for (int k : {8, 15})
        ExpectFactor(factors, k, Inside(kMinus50));
    for (int k : {7, 16})
        ExpectFactor(factors, k, Outside(kMinus50));
    // The values the band operation is documented with, to the digits given.
    EXPECT_NEAR(factors[11], 0.0031623, 1e-7);
    EXPECT_NEAR(factors[8], 0.25237, 1e-5);
    EXPECT_NEAR(factors[16], 0.75079, 1e-5);
    EXPECT_EQ(ScaledBins(), (std::set<int>{7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
}

TEST_F(SpectralNotchTest, GainsOfZeroAndBelowTheFastPowerRangeAreExact) {
    Set("Gain", 0.f);
    EXPECT_TRUE(ScaledBins().empty());
    Set("Gain", -800.f);
    const std::vector<double> factors = Run();
    for (int k = 9; k <= 14; ++k)
        EXPECT_EQ(factors[k], 0.0) << "bin " << k;
    EXPECT_EQ(factors[8], 0.25);
    EXPECT_EQ(factors[7], 0.75);
}

TEST_F(SpectralNotchTest, BandwidthBelowTwoSemitonesPutsBothEdgesOnTheCentreBin) {
    // 500 Hz is bin 12: bin 11 takes the outside and the inside factor, bin 12 the inside and
    // the outside one; bin 13 is untouched. Widths truncate toward zero.
    for (float bandwidth : {1.f, 1.9f, 0.f, -1.9f, std::numeric_limits<float>::quiet_NaN()}) {
        Set("Bandwidth", bandwidth);
        const std::vector<double> factors = Run();
        EXPECT_EQ(ScaledBins(), (std::set<int>{11, 12})) << bandwidth;
        ExpectFactor(factors, 11, Outside(kMinus50) * Inside(kMinus50));
        ExpectFactor(factors, 12, Outside(kMinus50) * Inside(kMinus50));
    }
}

TEST_F(SpectralNotchTest, CentresOutsideTheSpectrumPutTheBandOnItsFirstOrLastBins) {
    for (float centreHz : {0.f, -300.f, std::numeric_limits<float>::quiet_NaN()}) {
        effect.mAmount = centreHz;
        EXPECT_EQ(ScaledBins(), (std::set<int>{0, 1})) << centreHz;
    }
    // Upper edge 30 kHz, lower edge 7.5 kHz (bin 174): the band runs to the last bin.
    effect.mAmount = 15000.f;
    Set("Bandwidth", 24.f);
    const std::vector<double> factors = Run();
    ExpectFactor(factors, 173, Outside(kMinus50));
    ExpectFactor(factors, 174, Inside(kMinus50));
    ExpectFactor(factors, kEngineBins - 3, kMinus50);
    ExpectFactor(factors, kEngineBins - 2, Inside(kMinus50));
    ExpectFactor(factors, kEngineBins - 1, Outside(kMinus50));
}

TEST_F(OscillatingSpectralNotchTest, WithoutSweepItIsTheFixedNotch) {
    DSP::SpectralNotch notch;
    ASSERT_TRUE(notch.Configure(DSP::FrameTransformationConfig()));
    notch.Start();
    notch.GetInControls().Get("Gain").DoControl(-48.f);
    notch.mAmount = 1000.f;
    Set("OscFreq", 0.f);
    const DSP::Spectrum in = Input();
    DSP::Spectrum fixed = MakeSpectrum(kEngineBins);
    for (int frame = 0; frame < 3; ++frame) {
        const std::vector<double> factors = Run();
        notch.Do(in, fixed);
        for (int k = 0; k < kEngineBins; ++k)
            ASSERT_EQ(factors[k], double(fixed.GetMagBuffer()[k]) / in.GetMagBuffer()[k]) << k;
    }
}

TEST_F(OscillatingSpectralNotchTest, CentreFollowsRateAndDepthAndRunsOnThroughStarts) {
    auto sweepAQuarterTurnPerFrame = [&] {
        effect.mAmount = 2000.f;
        Set("Bandwidth", 1.f);
        Set("OscFreq", kQuarterTurnPerHopHz);
    };
    sweepAQuarterTurnPerFrame();
    // At depth 50 %: 2000, 3000, 2000, 1000 Hz, i.e. the centre bins 46, 70, 46, 23 (each
    // scaled with the bin below it).
    for (int centre : {46, 70, 46, 23, 46})
        EXPECT_EQ(ScaledBins(), (std::set<int>{centre - 1, centre}));
    // Starting resets the controls but not the sweep, which goes on from its quarter turn.
    effect.Start();
    sweepAQuarterTurnPerFrame();
    Set("OscWidth", 25.f);
    for (int centre : {58, 46, 35})
        EXPECT_EQ(ScaledBins(), (std::set<int>{centre - 1, centre}));
    // At depth 100 % the sweep spans 0 … 4000 Hz.
    Set("OscWidth", 100.f);
    for (int centre : {46, 93, 46, 1})
        EXPECT_EQ(ScaledBins(), (std::set<int>{centre - 1, centre}));
}

} // namespace
