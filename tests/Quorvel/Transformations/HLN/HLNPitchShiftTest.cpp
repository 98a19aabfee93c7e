#include "Quorvel/Transformations/HLN/HLNPitchShift.hpp"
#include "DSP/Misc/FastMath.hpp"
#include "Quorvel/Transformations/HLN/HLNPitchIsolate.hpp"
#include "Quorvel/Transformations/HLN/HLNRobotization.hpp"
#include "Quorvel/Transformations/HLN/HarmonicFrames.hpp"

#include <gtest/gtest.h>

namespace {

// A shifter configured as the engine does (out starts as a copy of in) and started.
DSP::HLNPitchShift& EngineShifter(DSP::HLNPitchShift& shifter) {
    UseEngineRate();
    DSP::FrameTransformationConfig config;
    config.SetInPlace(true);
    shifter.Configure(config);
    shifter.Start();
    return shifter;
}

TEST(HLNPitchShiftTest, RatioOneUnvoicedAndUnreliableFramesPassUntouched) {
    DSP::HLNPitchShift shifter;
    EngineShifter(shifter).mAmount = frequency(0.f);
    const DSP::Frame voiced = HarmonicFrame(220.f);
    DSP::Frame out = voiced;
    shifter.Do(voiced, out);
    ExpectSameHarmonicParts(out, voiced); // even the residual
    // "Error" 10 accepts fundamental errors up to 0.4.
    shifter.mAmount = 1.5f;
    for (const DSP::Frame& in : {HarmonicFrame(0.f), HarmonicFrame(220.f, 12, 0.41f)}) {
        out = HarmonicFrame(330.f, 5); // none of this may stay
        shifter.Do(in, out);
        ExpectSameHarmonicParts(out, in);
    }
}

TEST(HLNPitchShiftTest, OctaveUpDropsEveryPeakFromTheFirstReachingHalfTheRate) {
    DSP::HLNPitchShift shifter;
    const float ratio = frequency(12.f);
    EngineShifter(shifter).mAmount = ratio;
    const DSP::Frame in = HarmonicFrame(1000.f, 20);
    DSP::Frame out = in;
    shifter.Do(in, out);
    // 11 × 2000 Hz = 22000 Hz stays below 22050 Hz; the twelfth harmonic would not.
    const DSP::SpectralPeakArray& peaks = out.GetSpectralPeakArray();
    ASSERT_EQ(peaks.GetnPeaks(), 11);
    for (int i = 0; i < 11; ++i) {
        EXPECT_FLOAT_EQ(peaks.GetFreq(i), ratio * in.GetSpectralPeakArray().GetFreq(i));
        EXPECT_FLOAT_EQ(peaks.GetBinPos(i), ratio * in.GetSpectralPeakArray().GetBinPos(i));
    }
    EXPECT_FLOAT_EQ(out.GetFundamentalFreq(0), ratio * 1000.f);
    EXPECT_EQ(shifter.GetHarmonicControl().GetLastValue(), 1000.f);
}

TEST(HLNPitchIsolateTest, TwoSilentAcceptedFramesThenOneSinusoidAndARejectRestarts) {
    UseEngineRate();
    DSP::HLNPitchIsolate isolate;
    isolate.Start(); // threshold 25 %: errors up to 0.5 are accepted
    const DSP::Frame voiced = HarmonicFrame(200.f, 12, 0.2f);
    const DSP::Frame fewPeaks = HarmonicFrame(200.f, 9, 0.2f);
    const DSP::Frame* inputs[] = {&voiced,   &voiced, &voiced, &voiced,
                                  &fewPeaks, &voiced, &voiced, &voiced};
    const int expectedPeaks[] = {0, 0, 1, 1, 0, 0, 0, 1};
    for (int frame = 0; frame < 8; ++frame) {
        DSP::Frame out = *inputs[frame];
        isolate.Do(*inputs[frame], out);
        ASSERT_EQ(out.GetSpectralPeakArray().GetnPeaks(), expectedPeaks[frame]) << frame;
        if (expectedPeaks[frame] == 1) {
            EXPECT_EQ(out.GetSpectralPeakArray().GetFreq(0), 200.f);
            EXPECT_EQ(out.GetSpectralPeakArray().GetMag(0), -20.f);
        }
        for (int k = 0; k < kResidualBins; ++k)
            ASSERT_EQ(out.GetResMag(k), 0.f);
    }
}

TEST(HLNRobotizationTest, ZeroPhasesAndAttenuatedMainSpectrumVoicedOrNot) {
    UseEngineRate();
    DSP::HLNRobotization robot;
    robot.Start(); // 220 Hz
    for (float f0Hz : {200.f, 0.f}) {
        DSP::Frame in = HarmonicFrame(f0Hz);
        in.GetSpectrum().GetMagBuffer()[40] = 2.f; // the main spectrum, not the residual
        DSP::Frame out = in;
        robot.Do(in, out);
        for (const DSP::Array<float>* phases : {&out.GetSpectralPeakArray().GetPhaseBuffer(),
                                                &out.GetResidualSpec().GetPhaseBuffer()})
            for (int i = 0; i < phases->Size(); ++i)
                ASSERT_EQ((*phases)[i], 0.f);
        if (f0Hz > 0.f) {
            ASSERT_EQ(out.GetFundamental().GetnCandidates(), 1);
            EXPECT_FLOAT_EQ(out.GetFundamentalFreq(0), 220.f);
            EXPECT_EQ(out.GetFundamentalErr(0), 0.f);
            EXPECT_FLOAT_EQ(out.GetSpectralPeakArray().GetFreq(2), 660.f);
        } else {
            ExpectSameArray(out.GetSpectralPeakArray().GetFreqBuffer(),
                            in.GetSpectralPeakArray().GetFreqBuffer());
            for (int k = 0; k < kResidualBins; ++k)
                ASSERT_FLOAT_EQ(out.GetResMag(k), 0.3f * in.GetMag(k));
        }
    }
}

} // namespace
