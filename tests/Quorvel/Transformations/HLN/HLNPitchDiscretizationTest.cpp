#include "Quorvel/Transformations/HLN/HLNPitchDiscretization.hpp"
#include "Quorvel/Transformations/HLN/HarmonicFrames.hpp"

#include <gtest/gtest.h>

namespace {

// The corrected fundamental for a voice at f0Hz; out keeps the whole frame.
float Quantize(DSP::HLNPitchDiscretization& quantizer, float f0Hz, DSP::Frame& out) {
    const DSP::Frame in = HarmonicFrame(f0Hz, 12, 0.f);
    out = in;
    quantizer.Do(in, out);
    return out.GetFundamentalFreq(0);
}

// The target note comes from the fast power: within 0.05 % of the note.
constexpr float kNote = 0.0005f;

TEST(HLNPitchDiscretizationTest, PullsTowardsTheNoteAndLimitsTheRateOnTheSameNote) {
    UseEngineRate();
    DSP::HLNPitchDiscretization quantizer; // 100 %, rate 25 %
    DSP::Frame out;
    EXPECT_NEAR(Quantize(quantizer, 440.f, out) / 440.f, 1.f, kNote);
    // Held at 450 Hz: 440 on both frames (the second is limited to [330, 550]).
    EXPECT_NEAR(Quantize(quantizer, 450.f, out) / 450.f, 0.978f, 0.001f);
    EXPECT_NEAR(Quantize(quantizer, 450.f, out), 440.f, 440.f * kNote);
    quantizer.mAmount = 50.f;
    EXPECT_NEAR(Quantize(quantizer, 450.f, out) / 450.f, 0.989f, 0.001f);
    // 1 % rate: 430 Hz (same note) would give 435 but may move only 1 % from the last output.
    quantizer.GetInControls().Get("Rate").DoControl(1.f);
    const float last = Quantize(quantizer, 452.f, out);
    EXPECT_NEAR(Quantize(quantizer, 430.f, out), last * 0.99f, 0.01f);
}

TEST(HLNPitchDiscretizationTest, NoCorrectionAndUnvoicedFramesLeaveTheFrameAlone) {
    UseEngineRate();
    DSP::HLNPitchDiscretization quantizer;
    quantizer.mAmount = 0.f;
    DSP::Frame out;
    Quantize(quantizer, 450.f, out);
    ExpectSameHarmonicParts(out, HarmonicFrame(450.f, 12, 0.f));
    quantizer.mAmount = 100.f;
    Quantize(quantizer, 0.f, out);
    ExpectSameHarmonicParts(out, HarmonicFrame(0.f, 12, 0.f));
}

} // namespace
