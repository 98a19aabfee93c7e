// What the four band-scaling effects share: names and initial control values, phases passing
// through, no heap use per frame, and hostile control values that neither reach outside the
// spectrum nor put non-finite values into it.

#include "Quorvel/Transformations/OscillatingSpectralNotch.hpp"
#include "Quorvel/Transformations/SpectralAmplitudeModulation.hpp"
#include "Quorvel/Transformations/SpectralNotch.hpp"
#include "Quorvel/Transformations/ThreeBandFilter.hpp"

#include "Quorvel/Transformations/SpectrumFrames.hpp"
#include "support/AllocationCounter.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <ostream>
#include <string>
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
};

void PrintTo(const EffectCase& c, std::ostream* os) {
    *os << c.className;
}

template <class T> std::function<std::unique_ptr<Effect>()> Maker() {
    return [] { return std::make_unique<T>(); };
}

const std::vector<EffectCase> kCases = {
    {"SpectralAM",
     Maker<DSP::SpectralAmplitudeModulation>(),
     {{"LfFreq", 4},
      {"LfWidth", .25f},
      {"MfFreq", 6},
      {"MfWidth", .25f},
      {"HfFreq", 8},
      {"HfWidth", .2f},
      {"LowCutoff", 500},
      {"HighCutoff", 2000}},
     0},
    {"ThreeBandFilter",
     Maker<DSP::ThreeBandFilter>(),
     {{"LowCutoff", 500}, {"HighCutoff", 3000}, {"LowGain", 0}, {"MidGain", 0}, {"HighGain", 0}},
     0},
    {"SpectralNotch", Maker<DSP::SpectralNotch>(), {{"Bandwidth", 12}, {"Gain", -50}}, 500},
    {"OscillatingSpectralNotch",
     Maker<DSP::OscillatingSpectralNotch>(),
     {{"Bandwidth", 12}, {"Gain", -48}, {"OscFreq", .2f}, {"OscWidth", 50}},
     1000},
};

// Configured and started the way the engine does it.
std::unique_ptr<Effect> Started(const EffectCase& c) {
    std::unique_ptr<Effect> effect = c.make();
    DSP::FrameTransformationConfig config;
    config.SetInPlace(true);
    EXPECT_TRUE(effect->Configure(config));
    effect->Start();
    return effect;
}

float Phase(int k) {
    return std::sin(0.37f * static_cast<float>(k)) * 3.f;
}

class BandGainEffectsTest : public ::testing::TestWithParam<EffectCase> {
protected:
    ProcessValues process{44100.f, 256.f};
};

TEST_P(BandGainEffectsTest, StartingGivesEveryControlItsInitialValueAgain) {
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
            control->DoControl(123.f);
        effect->mAmount = 7.f;
        effect->Start();
    }
}

TEST_P(BandGainEffectsTest, PhasesPassAndInPlaceMatchesCopyWithoutTouchingTheHeap) {
    std::unique_ptr<Effect> copying = Started(GetParam());
    std::unique_ptr<Effect> inPlace = Started(GetParam());
    Spectrum in = MakeSpectrum(kEngineBins);
    Fill(
        in, [](int k) { return 1.f + 0.01f * static_cast<float>(k % 7); }, Phase);
    Spectrum out = MakeSpectrum(kEngineBins);
    Spectrum shared = in;
    AllocationCounter counter;
    for (int frame = 0; frame < 5; ++frame) {
        copying->Do(in, out);
        shared.GetMagBuffer() = in.GetMagBuffer();
        inPlace->Do(shared, shared);
        for (int k = 0; k < kEngineBins; ++k) {
            ASSERT_EQ(out.GetPhaseBuffer()[k], Phase(k)) << "bin " << k;
            ASSERT_EQ(shared.GetMagBuffer()[k], out.GetMagBuffer()[k])
                << "frame " << frame << ", bin " << k;
        }
    }
    EXPECT_EQ(counter.Calls(), 0);
}

TEST_P(BandGainEffectsTest, HostileValuesStayInsideTheSpectrumAndFinite) {
    const EffectCase& c = GetParam();
    const float inf = std::numeric_limits<float>::infinity();
    std::vector<std::string> targets = {"mAmount"};
    for (const auto& control : c.initialControls)
        targets.push_back(control.first);
    for (const std::string& target : targets) {
        for (float value : {std::numeric_limits<float>::quiet_NaN(), inf, -inf, 1e30f, -1e30f, 0.f,
                            -3.f, 30000.f}) {
            std::unique_ptr<Effect> effect = Started(c);
            if (target == "mAmount")
                effect->mAmount = value;
            else
                effect->GetInControls().Get(target).DoControl(value);
            GuardedSpectrum spectrum(kEngineBins);
            Fill(
                spectrum.Get(), [](int) { return 1e30f; }, Phase);
            for (int frame = 0; frame < 3; ++frame)
                effect->Do(spectrum.Get(), spectrum.Get());
            EXPECT_TRUE(spectrum.Intact()) << target << " = " << value;
            for (int k = 0; k < kEngineBins; ++k)
                ASSERT_TRUE(std::isfinite(spectrum.Get().GetMagBuffer()[k]))
                    << target << " = " << value << ", bin " << k;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Effects, BandGainEffectsTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return info.param.className; });

} // namespace
