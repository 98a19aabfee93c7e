// What every harmonic effect owes the render thread: no heap calls in Do once configured and
// started, and no non-finite value in its output whatever the frames and parameters.

#include "Quorvel/Transformations/HLN/HLNHarmonizer.hpp"
#include "Quorvel/Transformations/HLN/HLNPitchDiscretization.hpp"
#include "Quorvel/Transformations/HLN/HLNPitchIsolate.hpp"
#include "Quorvel/Transformations/HLN/HLNPitchShift.hpp"
#include "Quorvel/Transformations/HLN/HLNRobotization.hpp"
#include "Quorvel/Transformations/HLN/HarmonicFrameTools.hpp"
#include "Quorvel/Transformations/HLN/HarmonicFrames.hpp"
#include "support/AllocationCounter.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// The five effects, configured and started as the engine does.
std::vector<std::unique_ptr<DSP::HLNTransformation>> AllEffects() {
    std::vector<std::unique_ptr<DSP::HLNTransformation>> effects;
    effects.push_back(std::make_unique<DSP::HLNPitchShift>());
    effects.push_back(std::make_unique<DSP::HLNPitchIsolate>());
    effects.push_back(std::make_unique<DSP::HLNRobotization>());
    effects.push_back(std::make_unique<DSP::HLNPitchDiscretization>());
    effects.push_back(std::make_unique<DSP::HLNHarmonizer>());
    DSP::FrameTransformationConfig config;
    config.SetInPlace(true);
    for (auto& effect : effects) {
        effect->Configure(config);
        effect->Start();
    }
    return effects;
}

// mAmount and every control of the effect take value.
void SetEverything(DSP::HLNTransformation& effect, float value) {
    effect.mAmount = value;
    for (DSP::InControl* control : effect.GetInControls())
        control->DoControl(value);
}

TEST(HLNRealTimeTest, DoAllocatesNothingAfterWarmUpWhileParametersChange) {
    SKIP_WITHOUT_ALLOCATION_COUNTER();
    UseEngineRate();
    const DSP::Frame frames[] = {HarmonicFrame(220.f, 40), HarmonicFrame(0.f, 3),
                                 HarmonicFrame(445.f, 12), HarmonicFrame(130.f, 60)};
    const float parameters[] = {0.8f, 1.5f, 25.f, 2.f, 10.f};
    for (auto& effect : AllEffects()) {
        // Warm-up: the output frame takes the largest shapes once, as the engine's would.
        DSP::Frame out = frames[0];
        for (const DSP::Frame& in : frames)
            effect->Do(in, out);
        AllocationCounter counter;
        for (int hop = 0; hop < 40; ++hop) {
            SetEverything(*effect, parameters[hop % 5]);
            effect->Do(frames[hop % 4], out);
        }
        EXPECT_EQ(counter.Calls(), 0) << effect->GetDSPClassName();
    }
}

TEST(HLNRealTimeTest, NoNonFiniteOutputWhateverTheFramesAndParameters) {
    UseEngineRate();
    DSP::Frame nonFinite = HarmonicFrame(220.f, 12, 0.f);
    nonFinite.GetSpectralPeakArray().SetMag(3, kNaN);
    nonFinite.GetSpectralPeakArray().SetFreq(5, kInf);
    nonFinite.SetResMag(10, kInf);
    nonFinite.SetResPhase(11, kNaN);
    nonFinite.SetMag(12, kNaN);
    DSP::Frame nanPitch = HarmonicFrame(220.f);
    nanPitch.SetFundamentalFreq(0, kNaN);
    // Voiced frames (one with error 0), then silence, non-finite values and pitch; ratios
    // that put every peak above half the rate, and unusable parameter values.
    const DSP::Frame frames[] = {HarmonicFrame(220.f, 12, 0.f), HarmonicFrame(5000.f),
                                 HarmonicFrame(0.f, 0), nonFinite, nanPitch};
    for (auto& effect : AllEffects()) {
        SCOPED_TRACE(effect->GetDSPClassName());
        for (float parameter : {10.f, 100.f, 0.f, -3.f, kNaN, kInf, 1e30f, 1.f}) {
            SetEverything(*effect, parameter);
            for (const DSP::Frame& in : frames) {
                DSP::Frame out = in;
                effect->Do(in, out);
                ExpectFiniteOutput(out);
            }
        }
    }
}

// A complex bin with a non-finite part becomes (+0, +0); a finite one keeps its bits. Every
// pairing of finite and non-finite parts, over enough bins for whole vectors and a remainder.
TEST(HLNRealTimeTest, MakeSpectrumFiniteZeroesWholeBins) {
    const float parts[] = {1.f,  -0.f,  -1e-40f, std::numeric_limits<float>::max(),
                           kInf, -kInf, kNaN,    -kNaN};
    constexpr int kParts = 8;
    DSP::Spectrum s;
    s.SetType(DSP::SpecTypeFlags({DSP::SpecTypeFlags::eComplex}));
    s.SetSize(kParts * kParts + 3);
    DSP::ComplexTmpl<float>* c = s.GetComplexArray().GetPtr();
    for (int k = 0; k < s.GetSize(); ++k)
        c[k] = DSP::ComplexTmpl<float>(parts[k % kParts], parts[(k / kParts) % kParts]);
    DSP::MakeSpectrumFinite(s);
    const auto bits = [](float x) {
        std::uint32_t b;
        std::memcpy(&b, &x, sizeof b);
        return b;
    };
    for (int k = 0; k < s.GetSize(); ++k) {
        const float re = parts[k % kParts], im = parts[(k / kParts) % kParts];
        const bool finite = std::isfinite(re) && std::isfinite(im);
        EXPECT_EQ(bits(c[k].Real()), finite ? bits(re) : 0u) << k;
        EXPECT_EQ(bits(c[k].Imag()), finite ? bits(im) : 0u) << k;
    }
}

} // namespace
