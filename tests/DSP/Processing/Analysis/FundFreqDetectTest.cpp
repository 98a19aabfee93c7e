#include "DSP/Processing/Analysis/FundFreqDetect.hpp"

#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Processing/Analysis/SpectralAnalysis.hpp"
#include "DSP/Processing/Analysis/SpectralPeakDetect.hpp"
#include "DSP/Processing/Base/InControl.hpp"
#include "DSP/Processing/SignalTestData.hpp"
#include "support/AllocationCounter.hpp"
#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace DSP;

namespace {

constexpr float kRateHz = 44100.f;
// Bin spacing of a 2048-point transform: the peaks below carry matching bin positions.
constexpr float kBinHz = kRateHz / 2048.f;
const float kNaN = NAN;
const float kInf = INFINITY;

using FreqMag = std::vector<std::pair<float, float>>;

SpectralPeakArray Peaks(const FreqMag& peaks) {
    SpectralPeakArray out;
    out.SetnMaxPeaks(500);
    out.SetnPeaks(int(peaks.size()));
    for (int i = 0; i < out.GetnPeaks(); ++i) {
        out.SetFreq(i, peaks[size_t(i)].first);
        out.SetMag(i, peaks[size_t(i)].second);
        out.SetBinPos(i, peaks[size_t(i)].first / kBinHz);
    }
    return out;
}

// Harmonics of f0 at 0, -3, -6, ... dB.
SpectralPeakArray Harmonics(float f0, int count) {
    FreqMag peaks;
    for (int h = 1; h <= count; ++h)
        peaks.push_back({f0 * h, -3.f * (h - 1)});
    return Peaks(peaks);
}

template <class A> std::vector<float> Values(const A& a, int n) {
    return std::vector<float>(a.GetPtr(), a.GetPtr() + n);
}

class FundFreqDetectTest : public ::testing::Test {
protected:
    void SetUp() override {
        GlobalProcessInfo::SetSampleRate(kRateHz);
        detect.GetOutControls().Get("Fund Freq Value").AddLink(&value);
    }
    // Runs one frame; also checks that the control receives what the frame yields.
    bool Run(SpectralPeakArray&& peaks) { return Run(peaks); }
    bool Run(SpectralPeakArray& peaks) {
        value.DoControl(-1.f);
        const bool voiced = detect.Do(peaks, out);
        EXPECT_EQ(value.GetLastValue(), voiced ? out.GetFreq(0) : 0.f);
        EXPECT_EQ(voiced, out.GetnCandidates() > 0);
        return voiced;
    }

    FundFreqDetect detect;
    Fundamental out;
    InControl value{"received"};
};

// One reference peak at 220 Hz with the reference fundamental at 1000 Hz: the reference
// fundamental, 220 as the strongest peak, then its subharmonics 220, 110 and 73.3 until the
// list holds MaxCandidates = 5 (55 and 44 would follow).
TEST_F(FundFreqDetectTest, RawCandidatesFillTheConfiguredCapacity) {
    EXPECT_EQ(detect.GetReferenceFundFreq(), 1000.f);
    ASSERT_TRUE(Run(Peaks({{220.f, -10.f}})));
    const Fundamental& rawList = detect.GetRawCandidates();
    std::vector<float> raw = Values(rawList.GetCandidatesFreq(), rawList.GetnCandidates());
    std::sort(raw.begin(), raw.end());
    EXPECT_EQ(raw, (std::vector<float>{220.f / 3, 110.f, 220.f, 220.f, 1000.f}));
    EXPECT_NEAR(out.GetFreq(0), 220.f, 220.f * 0.005f);
    EXPECT_EQ(detect.GetReferenceFundFreq(), out.GetFreq(0));

    // The candidates wanted are the output's capacity: 1 ... MaxCandidates.
    QuietAssertions quiet;
    SpectralPeakArray peaks = Harmonics(200.f, 5);
    out.SetnMaxCandidates(0);
    EXPECT_DSP_ASSERT(detect.Do(peaks, out),
                      "FundFreqDet::Detection: negative number of candidates wanted");
    out.SetnMaxCandidates(6);
    EXPECT_DSP_ASSERT(detect.Do(peaks, out), "FundFreqDet::Detection:Number of candidates "
                                             "wanted bigger than the maximum configured on the "
                                             "algorithm");
}

// Candidates are scored in batches; a candidate's error does not depend on how many are scored
// with it: the five of a short raw list keep their errors exactly in a list of 35.
TEST_F(FundFreqDetectTest, ACandidatesErrorDoesNotDependOnTheListLength) {
    FreqMag peaks = {{600.f, -9.f}};
    for (int h = 1; h <= 12; ++h)
        peaks.push_back({180.f * h + 7.f * float(h % 3), -2.f * h});
    std::sort(peaks.begin(), peaks.end());
    SpectralPeakArray input = Peaks(peaks);
    FundFreqDetectConfig longList;
    longList.SetMaxCandidates(45);
    FundFreqDetect wide(longList);
    ASSERT_TRUE(Run(input) && wide.Do(input, out)); // the peaks stay as they were
    const Fundamental &shortRaw = detect.GetRawCandidates(), &longRaw = wide.GetRawCandidates();
    ASSERT_EQ(shortRaw.GetnCandidates(), 5);
    ASSERT_GT(longRaw.GetnCandidates(), 32); // more than one batch
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < longRaw.GetnCandidates(); ++j)
            if (longRaw.GetFreq(j) == shortRaw.GetFreq(i)) {
                EXPECT_EQ(longRaw.GetErr(j), shortRaw.GetErr(i)) << shortRaw.GetFreq(i);
            }
}

// Below the strongest peak (1000 Hz, 0 dB) a reference peak lies within 30 dB of it (500 Hz
// does not); above it, above a floor 50 dB down that falls 10 dB per 1000 Hz (-60 dB at 2000 Hz,
// -65 dB at 2500 Hz); peaks above 3000 Hz are dropped from the top down; 20 Hz is below
// MinFundFreq. The index table lists the reference peaks.
TEST_F(FundFreqDetectTest, ReferencePeaksFollowTheMagnitudeFloors) {
    SpectralPeakArray peaks =
        Peaks({{20, -5}, {500, -31}, {600, -29}, {1000, 0}, {2000, -61}, {2500, -64}, {3100, -10}});
    Run(peaks);
    EXPECT_EQ(Values(peaks.GetIndexArray(), peaks.GetIndexArray().Size()),
              (std::vector<float>{2, 3, 5}));
    // Peaks all below MinFundFreq leave no reference peaks.
    SpectralPeakArray low = Peaks({{20.f, 0.f}, {30.f, -3.f}});
    EXPECT_FALSE(Run(low));
    EXPECT_EQ(low.GetIndexArray().Size(), 0);
}

// Unvoiced frames send 0 and keep the reference fundamental; configuring resets it.
TEST_F(FundFreqDetectTest, UnvoicedFramesKeepTheReferenceUntilReconfigured) {
    ASSERT_TRUE(Run(Harmonics(200.f, 8)));
    const float detected = out.GetFreq(0);
    EXPECT_NEAR(detected, 200.f, 1.f);

    EXPECT_FALSE(Run(Peaks({})));
    // A strongest peak at bin position 0 gives no bin width in Hz.
    SpectralPeakArray atZero = Peaks({{50.f, 10.f}, {400.f, -3.f}});
    atZero.SetBinPos(0, 0.f);
    EXPECT_FALSE(Run(atZero));
    // Non-finite peak data never becomes a reference peak or a candidate.
    EXPECT_FALSE(Run(Peaks({{kInf, 0.f}, {kNaN, -3.f}, {300.f, kNaN}, {400.f, kInf}})));
    EXPECT_EQ(detect.GetReferenceFundFreq(), detected);
    ASSERT_TRUE(Run(Peaks({{150.f, kNaN}, {300.f, 0.f}, {600.f, -3.f}, {900.f, -6.f}, {kInf, 9}})));
    EXPECT_NEAR(out.GetFreq(0), 300.f, 1.5f);

    // Candidates exist, but none is good enough.
    FundFreqDetectConfig strict;
    strict.SetMaxError(-1000.f);
    detect.Configure(strict);
    EXPECT_EQ(detect.GetReferenceFundFreq(), 1000.f);
    EXPECT_FALSE(Run(Harmonics(200.f, 8)));
    EXPECT_GT(detect.GetRawCandidates().GetnCandidates(), 0);
}

// Harmonic tones through the short-time analysis (Blackman-Harris 92 dB, 2049 samples, dB
// spectrum) and peak detection with the engine's settings: the fundamental is found within
// 0.5 % in every hop, and after the first hop neither detector touches the heap.
TEST_F(FundFreqDetectTest, FindsTheFundamentalOfAnalysedHarmonicTonesWithoutAllocating) {
    SpectralAnalysisConfig analysisConfig;
    analysisConfig.SetWindowSize(2049);
    analysisConfig.SetWindowType(EWindowType(EWindowType::eBlackmanHarris92));
    SpectralAnalysis analysis(analysisConfig);
    SpectralPeakDetect peakDetect;
    FundFreqDetectConfig config;
    config.SetMinFundFreq(50.f);
    config.SetMaxFundFreq(6000.f);
    detect.Configure(config);
    Audio frame = AudioOf(std::vector<float>(2049));
    Spectrum spectrum;
    spectrum.SetSize(1025);
    SpectralPeakArray peaks;
    peaks.SetnMaxPeaks(500);

    for (float f0 : {110.f, 220.f, 440.f}) {
        std::vector<float> tone(2049 + 3 * 256);
        for (size_t n = 0; n < tone.size(); ++n)
            for (int h = 1; h * f0 < 5000.f; ++h)
                tone[n] += 0.3f / h * std::sin(2 * float(M_PI) * h * f0 * n / kRateHz + h);
        for (int hop = 0; hop < 4; ++hop) {
            std::copy_n(tone.begin() + hop * 256, 2049, frame.GetBuffer().GetPtr());
            analysis.Do(frame, spectrum);
            spectrum.SetScale(EScale(EScale::eLinear)); // the transform writes amplitudes
            spectrum.ToDB();
            AllocationCounter counter;
            peakDetect.Do(spectrum, peaks);
            ASSERT_TRUE(Run(peaks)) << f0 << " hop " << hop;
            if (AllocationCounter::Available() && (hop > 0 || f0 > 110.f)) {
                EXPECT_EQ(counter.Calls(), 0) << f0 << " hop " << hop;
            }
            EXPECT_NEAR(out.GetFreq(0), f0, f0 * 0.005f) << "hop " << hop;
        }
    }
}

} // namespace
