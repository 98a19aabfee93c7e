#include "Quorvel/Transformations/SpectralNotch.hpp"
#include "Quorvel/Transformations/OscillatingSpectralNotch.hpp"

#include "Quorvel/Transformations/SpectrumFrames.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <vector>

namespace {

// The fast power of two behind the dB conversion is within 4.5e-6 relative of 10^(dB / 20)
// over the −90 … 30 dB of the document (measured in 0.01 dB steps); the edge factors
// add one single-precision rounding.
constexpr double kDbRelativeTolerance = 1e-5;
// A sweep of a quarter turn per 256-sample hop at 44100 Hz.
constexpr float kQuarterTurnPerHopHz = 44100.f / 1024.f;
const double kMinus50 = std::pow(10.0, -50.0 / 20.0);

double Outside(double g) {
    return 0.25 * g + 0.75;
}
double Inside(double g) {
    return 0.75 * g + 0.25;
}

class NotchTest : public ::testing::Test {
protected:
    NotchTest() {
        Fill(
            in, [](int k) { return 2.f + 0.003f * static_cast<float>(k); },
            [](int k) { return -0.02f * static_cast<float>(k); });
        for (DSP::FrameTransformation* effect :
             std::initializer_list<DSP::FrameTransformation*>{&notch, &swept}) {
            effect->Configure(DSP::FrameTransformationConfig());
            effect->Start();
        }
    }

    static void Set(DSP::Processing& effect, const char* control, float value) {
        effect.GetInControls().Get(control).DoControl(value);
    }

    // One frame: the factor each bin was scaled by.
    std::vector<double> Factors(DSP::FrameTransformationTmpl<DSP::Spectrum>& effect) {
        effect.Do(in, out);
        std::vector<double> factors;
        for (int k = 0; k < kEngineBins; ++k)
            factors.push_back(static_cast<double>(out.GetMagBuffer()[k]) / in.GetMagBuffer()[k]);
        return factors;
    }

    // One frame: the bins whose magnitude changed.
    std::set<int> ScaledBins(DSP::FrameTransformationTmpl<DSP::Spectrum>& effect) {
        const std::vector<double> factors = Factors(effect);
        std::set<int> bins;
        for (int k = 0; k < kEngineBins; ++k)
            if (factors[k] != 1.0)
                bins.insert(k);
        return bins;
    }

    static void ExpectFactor(const std::vector<double>& factors, int bin, double expected) {
        EXPECT_NEAR(factors[bin], expected, kDbRelativeTolerance * expected) << "bin " << bin;
    }

    ProcessValues process{44100.f, 256.f};
    DSP::Spectrum in = MakeSpectrum(kEngineBins);
    DSP::Spectrum out = MakeSpectrum(kEngineBins);
    DSP::SpectralNotch notch;
    DSP::OscillatingSpectralNotch swept;
};

TEST_F(NotchTest, InitialNotchCutsOneOctaveAroundFiveHundredHertz) {
    // Edges 353.6 Hz and 707.1 Hz: lo = bin 8, hi = bin 16.
    const std::vector<double> factors = Factors(notch);
    for (int k = 9; k <= 14; ++k)
        ExpectFactor(factors, k, kMinus50);
    for (int k : {8, 15})
        ExpectFactor(factors, k, Inside(kMinus50));
    for (int k : {7, 16})
        ExpectFactor(factors, k, Outside(kMinus50));
    EXPECT_NEAR(factors[11], 0.0031623, 1e-7);
    EXPECT_NEAR(factors[8], 0.25237, 1e-5);
    EXPECT_NEAR(factors[16], 0.75079, 1e-5);
    EXPECT_EQ(ScaledBins(notch), (std::set<int>{7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
}

TEST_F(NotchTest, GainsOfZeroAndBelowTheFastPowerRangeAreExact) {
    Set(notch, "Gain", 0.f);
    EXPECT_TRUE(ScaledBins(notch).empty());
    Set(notch, "Gain", -800.f);
    const std::vector<double> factors = Factors(notch);
    for (int k = 9; k <= 14; ++k)
        EXPECT_EQ(out.GetMagBuffer()[k], 0.f) << "bin " << k;
    EXPECT_EQ(factors[8], 0.25);
    EXPECT_EQ(factors[7], 0.75);
}

TEST_F(NotchTest, BandwidthBelowTwoSemitonesPutsBothEdgesOnTheCentreBin) {
    // 500 Hz is bin 12: bin 11 takes the outside and the inside factor, bin 12 the inside and
    // the outside one; bin 13 is untouched. Widths truncate toward zero.
    for (float bandwidth : {1.f, 1.9f, 0.f, -1.9f, std::numeric_limits<float>::quiet_NaN()}) {
        Set(notch, "Bandwidth", bandwidth);
        const std::vector<double> factors = Factors(notch);
        EXPECT_EQ(ScaledBins(notch), (std::set<int>{11, 12})) << bandwidth;
        ExpectFactor(factors, 11, Outside(kMinus50) * Inside(kMinus50));
        ExpectFactor(factors, 12, Outside(kMinus50) * Inside(kMinus50));
    }
}

TEST_F(NotchTest, CentresOutsideTheSpectrumPutTheBandOnItsFirstOrLastBins) {
    for (float centreHz : {0.f, -300.f, std::numeric_limits<float>::quiet_NaN()}) {
        notch.mAmount = centreHz;
        EXPECT_EQ(ScaledBins(notch), (std::set<int>{0, 1})) << centreHz;
    }
    // Upper edge 30 kHz, lower edge 7.5 kHz (bin 174): the band runs to the last bin.
    notch.mAmount = 15000.f;
    Set(notch, "Bandwidth", 24.f);
    const std::vector<double> factors = Factors(notch);
    ExpectFactor(factors, 173, Outside(kMinus50));
    ExpectFactor(factors, 174, Inside(kMinus50));
    ExpectFactor(factors, kEngineBins - 3, kMinus50);
    ExpectFactor(factors, kEngineBins - 2, Inside(kMinus50));
    ExpectFactor(factors, kEngineBins - 1, Outside(kMinus50));
}

TEST_F(NotchTest, OscillatingNotchWithoutSweepIsTheFixedNotch) {
    Set(notch, "Gain", -48.f);
    notch.mAmount = 1000.f;
    Set(swept, "OscFreq", 0.f);
    for (int frame = 0; frame < 3; ++frame)
        EXPECT_EQ(Factors(swept), Factors(notch)) << "frame " << frame;
}

TEST_F(NotchTest, OscillatingNotchCentreFollowsRateAndDepthAndRunsOnThroughStarts) {
    auto sweepAQuarterTurnPerFrame = [&] {
        swept.mAmount = 2000.f;
        Set(swept, "Bandwidth", 1.f);
        Set(swept, "OscFreq", kQuarterTurnPerHopHz);
    };
    sweepAQuarterTurnPerFrame();
    // At depth 50 %: 2000, 3000, 2000, 1000 Hz, i.e. the centre bins 46, 70, 46, 23 (each
    // scaled with the bin below it).
    for (int centre : {46, 70, 46, 23, 46})
        EXPECT_EQ(ScaledBins(swept), (std::set<int>{centre - 1, centre}));
    // Starting resets the controls but not the sweep, which goes on from its quarter turn.
    swept.Start();
    sweepAQuarterTurnPerFrame();
    Set(swept, "OscWidth", 25.f);
    for (int centre : {58, 46, 35})
        EXPECT_EQ(ScaledBins(swept), (std::set<int>{centre - 1, centre}));
    // At depth 100 % the sweep spans 0 … 4000 Hz.
    Set(swept, "OscWidth", 100.f);
    EXPECT_EQ(ScaledBins(swept), (std::set<int>{45, 46}));
    EXPECT_EQ(ScaledBins(swept), (std::set<int>{92, 93}));
    EXPECT_EQ(ScaledBins(swept), (std::set<int>{45, 46}));
    EXPECT_EQ(ScaledBins(swept), (std::set<int>{0, 1}));
}

} // namespace
