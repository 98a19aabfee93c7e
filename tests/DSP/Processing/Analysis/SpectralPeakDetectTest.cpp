#include "DSP/Processing/Analysis/SpectralPeakDetect.hpp"

#include "DSP/Data/GlobalProcessInfo.hpp"
#include "support/AllocationCounter.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace DSP;

namespace {

// 11 bins at 2000 Hz: bin k lies at exactly 100 k Hz, so positions and frequencies are exact.
constexpr float kRateHz = 2000.f;
constexpr float kInf = std::numeric_limits<float>::infinity();

class SpectralPeakDetectTest : public ::testing::Test {
protected:
    void SetUp() override { GlobalProcessInfo::SetSampleRate(kRateHz); }
    void TearDown() override { GlobalProcessInfo::SetSampleRate(44100.f); }

    // A dB spectrum; bin k has phase 0.1 k unless phases are given.
    static Spectrum DbSpectrum(const std::vector<float>& db, std::vector<float> phases = {}) {
        SpectrumConfig config;
        config.SetSize(int(db.size()));
        config.SetSpectralRange(kRateHz / 2);
        config.SetScale(EScale(EScale::eLog));
        Spectrum s(config);
        for (int k = 0; k < s.GetSize(); ++k) {
            s.GetMagBuffer()[k] = db[size_t(k)];
            s.GetPhaseBuffer()[k] = phases.empty() ? 0.1f * k : phases[size_t(k)];
        }
        return s;
    }

    SpectralPeakArray Detect(const Spectrum& in, int maxPeaks = 500, float maxFreqHz = 8000.f) {
        SpectralPeakDetectConfig config;
        config.SetMaxPeaks(maxPeaks);
        config.SetMaxFreq(maxFreqHz);
        SpectralPeakDetect detect(config);
        SpectralPeakArray out;
        EXPECT_TRUE(detect.Do(in, out));
        return out;
    }
};

// Peaks on bins 3 and 7 with symmetric neighbours.
const std::vector<float> kTwoPeaks = {-100, -100, -50, -20, -50, -100, -50, -30, -50, -100, -100};

TEST_F(SpectralPeakDetectTest, OnBinPeaksKeepTheirBinAndTheLimitsCutTheScan) {
    const Spectrum in = DbSpectrum(kTwoPeaks);
    const SpectralPeakArray all = Detect(in);
    ASSERT_EQ(all.GetnPeaks(), 2);
    EXPECT_EQ(all.GetBinPos(0), 3.f);
    EXPECT_EQ(all.GetFreq(0), 300.f);
    EXPECT_EQ(all.GetMag(0), -20.f);
    EXPECT_EQ(all.GetPhase(0), 0.1f * 3);
    EXPECT_EQ(all.GetFreq(1), 700.f);
    EXPECT_EQ(all.GetBinWidth(0), 4); // closed by the valley at bin 5

    // One peak wanted: the lowest, its width closed after the scan (3 bins counted, not 4).
    const SpectralPeakArray first = Detect(in, 1);
    ASSERT_EQ(first.GetnPeaks(), 1);
    EXPECT_EQ(first.GetFreq(0), 300.f);
    EXPECT_EQ(first.GetBinWidth(0), 3);
    EXPECT_EQ(first.GetnMaxPeaks(), 1);

    // MaxFreq is inclusive; the first peak above it ends the scan.
    EXPECT_EQ(Detect(in, 500, 700.f).GetnPeaks(), 2);
    EXPECT_EQ(Detect(in, 500, 699.f).GetnPeaks(), 1);
    EXPECT_EQ(Detect(in, 0).GetnPeaks(), 0);

    // Nothing strictly above the -80 dB threshold: no peaks.
    std::vector<float> quiet(11, -90.f);
    quiet[5] = -80.f;
    EXPECT_EQ(Detect(DbSpectrum(quiet)).GetnPeaks(), 0);
    EXPECT_EQ(Detect(DbSpectrum({0.f, 10.f})).GetnPeaks(), 0);
}

// A flat top of n equal bins from bin j: the rising edge places the peak at j + 0.5 and the
// falling edge moves it half-way to the last bin, j + 0.25 + (n - 1) / 2, reading magnitude
// and phase at the bin nearest to that position.
TEST_F(SpectralPeakDetectTest, FlatTopsPlaceOnePeakThreeQuartersBinPastTheFirstHalf) {
    const int j = 3;
    for (int n : {2, 3, 4}) {
        std::vector<float> db(11, -100.f);
        db[size_t(j - 1)] = -50.f;
        for (int i = 0; i < n; ++i)
            db[size_t(j + i)] = -20.f;
        db[size_t(j + n)] = -50.f;
        const SpectralPeakArray out = Detect(DbSpectrum(db));
        ASSERT_EQ(out.GetnPeaks(), 1) << n;
        const float expected = j + 0.25f + 0.5f * (n - 1);
        EXPECT_FLOAT_EQ(out.GetBinPos(0), expected) << n;
        EXPECT_FLOAT_EQ(out.GetFreq(0), 100.f * expected) << n;
        EXPECT_EQ(out.GetMag(0), -20.f) << n;
        EXPECT_FLOAT_EQ(out.GetPhase(0), 0.1f * std::nearbyint(expected)) << n;
    }
}

// Vertex a quarter bin above bin 3; the phase runs the short way across the +-pi wrap.
TEST_F(SpectralPeakDetectTest, InterpolatesThePhaseAcrossTheWrap) {
    const std::vector<float> db = {-100, -100, -50, -20, -30, -100, -100, -100, -100, -100, -100};
    const float shortWay = 2 * float(M_PI) - 6.2f;
    for (float sign : {1.f, -1.f}) {
        std::vector<float> phases(11, 0.f);
        phases[3] = 3.1f * sign;
        phases[4] = -3.1f * sign;
        const SpectralPeakArray out = Detect(DbSpectrum(db, phases));
        ASSERT_EQ(out.GetnPeaks(), 1);
        EXPECT_EQ(out.GetBinPos(0), 3.25f);
        EXPECT_EQ(out.GetFreq(0), 325.f);
        EXPECT_EQ(out.GetMag(0), -18.75f);
        // 3.1 + 0.25 * 0.0832 going up, 3.1832 - 0.25 * 0.0832 going down: both near pi.
        const float expected = sign > 0 ? 3.1f + 0.25f * shortWay : 3.1f + 0.75f * shortWay;
        EXPECT_NEAR(out.GetPhase(0), expected, 1e-5f) << sign;
    }
}

// A bin that is NaN or infinite, or borders one, is never a peak; finite peaks still are.
TEST_F(SpectralPeakDetectTest, NonFiniteMagnitudesYieldNoPeak) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<float> db = {-kInf, -20, -50, nan, -50, -100, kInf, -100, -50, -20, -50};
    const SpectralPeakArray out = Detect(DbSpectrum(db));
    ASSERT_EQ(out.GetnPeaks(), 1);
    EXPECT_EQ(out.GetFreq(0), 900.f);
    EXPECT_EQ(out.GetMag(0), -20.f);
}

TEST_F(SpectralPeakDetectTest, PortFormConvertsALinearSpectrumAndMarksTheOutputLog) {
    SpectralPeakDetect detect;
    OutPort<Spectrum> source;
    InPort<SpectralPeakArray> sink;
    source.ConnectToIn(detect.GetInput());
    detect.GetOutput().ConnectToIn(sink);
    Spectrum linear = DbSpectrum(kTwoPeaks);
    linear.SetScale(EScale(EScale::eLinear));
    for (int k = 0; k < linear.GetSize(); ++k)
        linear.GetMagBuffer()[k] = std::pow(10.f, kTwoPeaks[size_t(k)] / 20.f);
    source.GetData() = linear;
    source.Produce();
    EXPECT_TRUE(detect.Do());
    const SpectralPeakArray& out = sink.GetData();
    EXPECT_EQ(out.GetScale().GetValue(), EScale::eLog);
    ASSERT_EQ(out.GetnPeaks(), 2);
    EXPECT_NEAR(out.GetMag(0), -20.f, 1e-4f); // dB round trip in single precision
    EXPECT_EQ(out.GetFreq(1), 700.f);
}

// With the output sized at configuration, a 513-bin spectrum full of peaks is scanned
// without touching the heap.
TEST_F(SpectralPeakDetectTest, DoAllocatesNothingOnceTheOutputIsSized) {
    SKIP_WITHOUT_ALLOCATION_COUNTER();
    std::vector<float> db(513);
    for (size_t k = 0; k < db.size(); ++k)
        db[k] = (k % 3 == 1) ? -20.f : -60.f - float(k % 7);
    const Spectrum in = DbSpectrum(db);
    SpectralPeakDetect detect;
    SpectralPeakArray out;
    out.SetnMaxPeaks(500);
    AllocationCounter counter;
    detect.Do(in, out);
    EXPECT_EQ(counter.Calls(), 0);
    EXPECT_GT(out.GetnPeaks(), 100);
}

} // namespace
