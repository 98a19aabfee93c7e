#include "DSP/Processing/Analysis/SpectralPeakDetect.hpp"

#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Misc/Ports/OutPort.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace DSP;

namespace {

// 11 bins at 2000 Hz: bin k lies at exactly 100 k Hz, so positions and frequencies are exact.
constexpr float kRateHz = 2000.f;

// Peaks of a dB spectrum whose bin k has phase 0.1 k unless phases are given.
SpectralPeakArray Detect(const std::vector<float>& db, int maxPeaks = 500, float maxFreqHz = 8000.f,
                         std::vector<float> phases = {}) {
    Spectrum in;
    in.SetSize(int(db.size()));
    in.SetSpectralRange(kRateHz / 2);
    for (int k = 0; k < in.GetSize(); ++k) {
        in.GetMagBuffer()[k] = db[size_t(k)];
        in.GetPhaseBuffer()[k] = phases.empty() ? 0.1f * k : phases[size_t(k)];
    }
    SpectralPeakDetectConfig config;
    config.SetMaxPeaks(maxPeaks);
    config.SetMaxFreq(maxFreqHz);
    SpectralPeakArray out;
    GlobalProcessInfo::SetSampleRate(kRateHz);
    EXPECT_TRUE(SpectralPeakDetect(config).Do(in, out));
    GlobalProcessInfo::SetSampleRate(44100.f);
    return out;
}

TEST(SpectralPeakDetectTest, OnBinPeaksKeepTheirBinAndTheLimitsCutTheScan) {
    // Peaks on bins 3 and 7 with symmetric neighbours.
    const std::vector<float> in = {-100, -100, -50, -20, -50, -100, -50, -30, -50, -100, -100};
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
    // No valley after the peak at 3.25: its width reaches half-way to where the scan ended
    // (bin 9), 9 bins counted less 3.
    const SpectralPeakArray falling =
        Detect({-100, -100, -50, -20, -30, -40, -50, -60, -70, -80, -90});
    EXPECT_EQ(falling.GetBinWidth(0), 6);

    // MaxFreq is inclusive; the first peak above it ends the scan.
    EXPECT_EQ(Detect(in, 500, 700.f).GetnPeaks(), 2);
    EXPECT_EQ(Detect(in, 500, 699.f).GetnPeaks(), 1);
    // Nothing strictly above the -80 dB threshold: no peaks.
    EXPECT_EQ(Detect({-90, -90, -80, -90, -90}).GetnPeaks(), 0);
}

// A flat top of n equal bins from bin j: the rising edge places the peak at j + 0.5 and the
// falling edge moves it half-way to the last bin, j + 0.25 + (n - 1) / 2, reading magnitude
// and phase at the bin nearest to that position.
TEST(SpectralPeakDetectTest, FlatTopsPlaceOnePeakAQuarterBinPastTheirMiddle) {
    const int j = 3;
    for (int n : {2, 3, 4}) {
        std::vector<float> db(11, -100.f);
        db[size_t(j - 1)] = db[size_t(j + n)] = -50.f;
        std::fill_n(db.begin() + j, n, -20.f);
        const SpectralPeakArray out = Detect(db);
        ASSERT_EQ(out.GetnPeaks(), 1) << n;
        const float expected = j + 0.25f + 0.5f * (n - 1);
        EXPECT_FLOAT_EQ(out.GetBinPos(0), expected) << n;
        EXPECT_EQ(out.GetMag(0), -20.f) << n;
        EXPECT_FLOAT_EQ(out.GetPhase(0), 0.1f * std::nearbyint(expected)) << n;
    }
}

// Vertex a quarter bin above bin 3; the phase runs the short way across the +-pi wrap:
// 3.1 + 0.25 * 0.0832 going up, 3.1832 - 0.25 * 0.0832 going down, both near pi.
TEST(SpectralPeakDetectTest, InterpolatesThePhaseAcrossTheWrap) {
    const std::vector<float> db = {-100, -100, -50, -20, -30, -100, -100, -100, -100, -100, -100};
    const float shortWay = 2 * float(M_PI) - 6.2f;
    for (float sign : {1.f, -1.f}) {
        std::vector<float> phases(11, 0.f);
        phases[3] = 3.1f * sign;
        phases[4] = -3.1f * sign;
        const SpectralPeakArray out = Detect(db, 500, 8000.f, phases);
        ASSERT_EQ(out.GetnPeaks(), 1);
        EXPECT_EQ(out.GetFreq(0), 325.f);
        EXPECT_EQ(out.GetMag(0), -18.75f);
        const float expected = sign > 0 ? 3.1f + 0.25f * shortWay : 3.1f + 0.75f * shortWay;
        EXPECT_NEAR(out.GetPhase(0), expected, 1e-5f) << sign;
    }
}

// A bin that is NaN or infinite, or borders one, is never a peak; finite peaks still are.
TEST(SpectralPeakDetectTest, NonFiniteMagnitudesYieldNoPeak) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const SpectralPeakArray out =
        Detect({-inf, -20, -50, nan, -50, -100, inf, -100, -50, -20, -50});
    ASSERT_EQ(out.GetnPeaks(), 1);
    EXPECT_EQ(out.GetFreq(0), 900.f);
    EXPECT_EQ(out.GetMag(0), -20.f);
}

// Through the ports a linear spectrum is read in dB: the same peaks (a flat top among them,
// which looks bins up by frequency) as its dB form gives.
TEST(SpectralPeakDetectTest, PortsReadALinearSpectrumInDbAsItsBuffersGiveIt) {
    const std::vector<float> db = {-100, -100, -50, -20, -20, -50, -100, -50, -30, -31, -100};
    Spectrum linear, inDb;
    linear.SetSize(int(db.size()));
    linear.SetSpectralRange(kRateHz / 2);
    for (int k = 0; k < linear.GetSize(); ++k) {
        linear.GetMagBuffer()[k] = std::pow(10.f, db[size_t(k)] / 20.f);
        linear.GetPhaseBuffer()[k] = 0.3f * k - 1.f;
    }
    (inDb = linear).ToDB();
    GlobalProcessInfo::SetSampleRate(kRateHz);
    SpectralPeakDetect detect;
    SpectralPeakArray expected;
    detect.Do(inDb, expected);
    OutPort<Spectrum> source("Spectrum");
    InPort<SpectralPeakArray> sink("Peaks");
    source.ConnectToIn(detect.GetInput());
    detect.GetOutput().ConnectToIn(sink);
    source.GetData() = linear;
    source.Produce();
    EXPECT_TRUE(detect.Do());
    GlobalProcessInfo::SetSampleRate(44100.f);
    const SpectralPeakArray& got = sink.GetData();
    ASSERT_EQ(got.GetnPeaks(), 2);
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(got.GetFreq(i) == expected.GetFreq(i) && got.GetMag(i) == expected.GetMag(i) &&
                    got.GetPhase(i) == expected.GetPhase(i))
            << i;
}

} // namespace
