// What the seven short-time effects share: initial controls that starting restores; controls
// written from another thread; and hostile control values or non-finite bins, which neither reach
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
    std::string name;
    std::function<std::unique_ptr<Effect>()> make;
    bool startResetsAmount; // the delay and the freeze leave mAmount alone
    Controls engage;        // makes the effect hold on to what it is given (short delays, a freeze)
};

void PrintTo(const EffectCase& c, std::ostream* os) {
    *os << c.name;
}

template <class T> std::function<std::unique_ptr<Effect>()> Maker() {
    return [] { return std::make_unique<T>(); };
}

const std::vector<EffectCase> kCases = {
    {"SpectralDelay",
     Maker<DSP::SpectralDelay>(),
     false,
     {{"LowDelay", 15}, {"MidDelay", 15}, {"HighDelay", 15}}}, // two frames
    {"SpectralFreeze", Maker<DSP::SpectralFreeze>(), false, {{"Fire", 1}}},
    {"SampleAndHold", Maker<DSP::SampleAndHold>(), true, {}},
    {"SpectralAM", Maker<DSP::SpectralAmplitudeModulation>(), true, {}},
    {"ThreeBandFilter", Maker<DSP::ThreeBandFilter>(), true, {}},
    {"SpectralNotch", Maker<DSP::SpectralNotch>(), true, {}},
    {"OscillatingSpectralNotch", Maker<DSP::OscillatingSpectralNotch>(), true, {}},
};

Controls ControlValues(Effect& effect) {
    Controls values;
    for (DSP::InControl* control : effect.GetInControls())
        values.emplace_back(control->GetName(), control->GetLastValue());
    return values;
}

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
    const Controls initial = ControlValues(*effect);
    const float initialAmount = effect->mAmount.load();
    ASSERT_FALSE(initial.empty() && !c.startResetsAmount);
    for (DSP::InControl* control : effect->GetInControls())
        if (control->GetName() != "Reset") // a trigger that starting never sends
            control->DoControl(123.f);
    effect->mAmount = 7.f;
    effect->Start();
    EXPECT_EQ(ControlValues(*effect), initial);
    EXPECT_EQ(effect->mAmount.load(), c.startResetsAmount ? initialAmount : 7.f);
}

TEST_P(ShortTimeEffectsTest, HostileControlValuesStayInsideTheSpectrumAndFinite) {
    const EffectCase& c = GetParam();
    const float inf = std::numeric_limits<float>::infinity();
    std::unique_ptr<Effect> effect = Started(c);
    std::vector<std::string> targets = {"mAmount"};
    for (const auto& control : ControlValues(*effect))
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
                         [](const auto& info) { return info.param.name; });

} // namespace
