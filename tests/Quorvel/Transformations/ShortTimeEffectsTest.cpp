// What the seven short-time effects share: names, ports and initial controls; controls written
// from another thread; and hostile control values or non-finite bins, which neither reach
// outside the spectrum nor leave non-finite values behind. (The render path's heap use is
// measured for every program in the real-time tests.)

#include "Quorvel/Transformations/OscillatingSpectralNotch.hpp"
#include "Quorvel/Transformations/SampleAndHold.hpp"
#include "Quorvel/Transformations/SpectralAmplitudeModulation.hpp"
#include "Quorvel/Transformations/SpectralDelay.hpp"
#include "Quorvel/Transformations/SpectralFreeze.hpp"
#include "Quorvel/Transformations/SpectralNotch.hpp"
#include "Quorvel/Transformations/ThreeBandFilter.hpp"

#include "Quorvel/Transformations/SpectrumFrames.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using DSP::Spectrum;
using Effect = DSP::FrameTransformationTmpl<Spectrum>;
using Controls = std::vector<std::pair<std::string, float>>;

struct EffectCase {
    std::string className;
    std::function<std::unique_ptr<Effect>()> make;
    Controls initialControls; // in the order of creation
    float initialAmount;
    Controls engage; // makes the effect hold on to what it is given (short delays, a freeze)
};

void PrintTo(const EffectCase& c, std::ostream* os) {
    *os << c.className;
}

template <class T> std::function<std::unique_ptr<Effect>()> Maker() {
    return [] { return std::make_unique<T>(); };
}

// clang-format off
const std::vector<EffectCase> kCases = {
    {"SpectralDelay", Maker<DSP::SpectralDelay>(),
     {{"LowCutoff", 500}, {"HighCutoff", 2000}, {"LowDelay", 300}, {"MidDelay", 500},
      {"HighDelay", 100}, {"LowFeedback", 30}, {"MidFeedback", 30}, {"HighFeedback", 30}},
     0, {{"LowDelay", 15}, {"MidDelay", 15}, {"HighDelay", 15}}}, // two frames
    {"SpectralFreeze", Maker<DSP::SpectralFreeze>(),
     {{"HighCutoff", 1000}, {"LowDecay", 20}, {"HighDecay", 12}, {"Fire", 0}, {"Reset", 0}},
     0, {{"Fire", 1}}},
    {"SampleAndHold", Maker<DSP::SampleAndHold>(), {}, 200, {}},
    {"SpectralAM", Maker<DSP::SpectralAmplitudeModulation>(),
     {{"LfFreq", 4}, {"LfWidth", .25f}, {"MfFreq", 6}, {"MfWidth", .25f}, {"HfFreq", 8},
      {"HfWidth", .2f}, {"LowCutoff", 500}, {"HighCutoff", 2000}},
     0, {}},
    {"ThreeBandFilter", Maker<DSP::ThreeBandFilter>(),
     {{"LowCutoff", 500}, {"HighCutoff", 3000}, {"LowGain", 0}, {"MidGain", 0}, {"HighGain", 0}},
     0, {}},
    {"SpectralNotch", Maker<DSP::SpectralNotch>(), {{"Bandwidth", 12}, {"Gain", -50}}, 500, {}},
    {"OscillatingSpectralNotch", Maker<DSP::OscillatingSpectralNotch>(),
     {{"Bandwidth", 12}, {"Gain", -48}, {"OscFreq", .2f}, {"OscWidth", 50}}, 1000, {}},
};
// clang-format on

// Configured and started the way the engine does it.
std::unique_ptr<Effect> Started(const EffectCase& c) {
    std::unique_ptr<Effect> effect = c.make();
    DSP::FrameTransformationConfig config;
    config.SetInPlace(true);
    EXPECT_TRUE(effect->Configure(config));
    effect->Start();
    return effect;
}

void Engage(Effect& effect, const EffectCase& c) {
    for (const auto& [name, value] : c.engage)
        effect.GetInControls().Get(name).DoControl(value);
}

void ExpectFinite(const Spectrum& spectrum, const std::string& what) {
    for (int k = 0; k < spectrum.GetSize(); ++k) {
        ASSERT_TRUE(std::isfinite(spectrum.GetMagBuffer()[k])) << what << ", bin " << k;
        ASSERT_TRUE(std::isfinite(spectrum.GetPhaseBuffer()[k])) << what << ", bin " << k;
    }
}

class ShortTimeEffectsTest : public ::testing::TestWithParam<EffectCase> {
protected:
    ProcessValues process;
};

TEST_P(ShortTimeEffectsTest, StartingGivesEveryControlItsInitialValueAgain) {
    const EffectCase& c = GetParam();
    std::unique_ptr<Effect> effect = Started(c);
    EXPECT_EQ(effect->GetDSPClassName(), c.className);
    EXPECT_TRUE(effect->GetInPorts().Has("In Spectrum"));
    EXPECT_TRUE(effect->GetOutPorts().Has("Out Spectrum"));
    for (int start = 0; start < 2; ++start) {
        Controls actual;
        for (DSP::InControl* control : effect->GetInControls())
            actual.emplace_back(control->GetName(), control->GetLastValue());
        EXPECT_EQ(actual, c.initialControls) << "start " << start;
        EXPECT_EQ(effect->mAmount.load(), c.initialAmount) << "start " << start;
        for (DSP::InControl* control : effect->GetInControls())
            if (control->GetName() != "Reset") // a trigger that starting never sends
                control->DoControl(123.f);
        if (c.initialAmount != 0.f) // the delay and the freeze leave mAmount alone
            effect->mAmount = 7.f;
        effect->Start();
    }
}

TEST_P(ShortTimeEffectsTest, HostileControlValuesStayInsideTheSpectrumAndFinite) {
    const EffectCase& c = GetParam();
    const float inf = std::numeric_limits<float>::infinity();
    std::unique_ptr<Effect> effect = Started(c);
    std::vector<std::string> targets = {"mAmount"};
    for (const auto& control : c.initialControls)
        targets.push_back(control.first);
    for (const std::string& target : targets) {
        for (float value : {std::numeric_limits<float>::quiet_NaN(), inf, -inf, 1e30f, -1e30f, 0.f,
                            -3.f, 30000.f}) {
            effect->Start();
            Engage(*effect, c);
            if (target == "mAmount")
                effect->mAmount = value;
            else
                effect->GetInControls().Get(target).DoControl(value);
            GuardedSpectrum spectrum(kEngineBins);
            // Four frames: the delay's two-frame echoes come back.
            for (int frame = 0; frame < 4; ++frame) {
                Fill(
                    spectrum.Get(), [](int) { return 1e30f; }, [](int k) { return 0.01f * k; });
                effect->Do(spectrum.Get(), spectrum.Get());
                ExpectFinite(spectrum.Get(), target + " = " + std::to_string(value));
            }
            EXPECT_TRUE(spectrum.Intact()) << target << " = " << value;
        }
    }
}

TEST_P(ShortTimeEffectsTest, NonFiniteBinsLeaveNoTrace) {
    const EffectCase& c = GetParam();
    std::unique_ptr<Effect> effect = Started(c);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    Spectrum bad = MakeSpectrum(kEngineBins, nan, inf);
    bad.GetMagBuffer()[20] = inf;
    bad.GetPhaseBuffer()[100] = nan;
    Spectrum out = MakeSpectrum(kEngineBins);
    // The first bad frame is what the sample-and-hold captures and what the freeze measures its
    // phase increments from; the second is what the freeze captures and the delay stores.
    effect->Do(bad, out);
    Engage(*effect, c);
    effect->Do(bad, out);
    for (int frame = 0; frame < 8; ++frame) {
        effect->Do(MakeSpectrum(kEngineBins, 1.f, 0.5f), out);
        ExpectFinite(out, "frame " + std::to_string(frame));
    }
}

// Meant for the thread sanitizer build, which reports any unsynchronised access; every build
// checks that the output stays finite.
TEST_P(ShortTimeEffectsTest, RendersWhileItsControlsChangeOnAnotherThread) {
    std::unique_ptr<Effect> effect = Started(GetParam());
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; !done.load(); ++i) {
            for (DSP::InControl* control : effect->GetInControls())
                control->DoControl(static_cast<float>(i % 7) * 100.f);
            effect->mAmount = static_cast<float>(i % 5) * 20.f;
        }
    });
    const Spectrum in = MakeSpectrum(kEngineBins, 1.f, 0.5f);
    Spectrum out = MakeSpectrum(kEngineBins);
    for (int t = 0; t < 300; ++t)
        effect->Do(in, out);
    done = true;
    writer.join();
    ExpectFinite(out, "after rendering");
}

INSTANTIATE_TEST_SUITE_P(Effects, ShortTimeEffectsTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return info.param.className; });

} // namespace
