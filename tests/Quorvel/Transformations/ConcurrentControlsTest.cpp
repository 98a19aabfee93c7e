#include "Quorvel/Transformations/SampleAndHold.hpp"
#include "Quorvel/Transformations/SpectralDelay.hpp"
#include "Quorvel/Transformations/SpectralFreeze.hpp"

#include "Quorvel/Transformations/SpectrumFrames.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

namespace {

using DSP::Spectrum;

// Renders hops on this thread while another thread keeps writing the given controls (and
// mAmount), as the engine's parameter routing does. Meant for the thread sanitizer build,
// which reports any unsynchronised access; every build checks that the output stays finite.
void RenderWhileWriting(DSP::FrameTransformationTmpl<Spectrum>& effect,
                        const std::vector<std::string>& controls) {
    ASSERT_TRUE(effect.Configure(DSP::FrameTransformationConfig()));
    effect.Start();
    std::vector<DSP::InControl*> targets;
    for (const std::string& name : controls)
        targets.push_back(&effect.GetInControls().Get(name));

    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 0; !done.load(); ++i) {
            for (DSP::InControl* control : targets)
                control->DoControl(static_cast<float>(i % 7) * 100.f);
            effect.mAmount = static_cast<float>(i % 5) * 20.f;
        }
    });
    const Spectrum in = MakeSpectrum(kEngineBins, 1.f, 0.5f);
    Spectrum out = MakeSpectrum(kEngineBins);
    for (int t = 0; t < 300; ++t)
        effect.Do(in, out);
    done = true;
    writer.join();
    for (int k = 0; k < kEngineBins; ++k)
        ASSERT_TRUE(std::isfinite(out.GetMagBuffer()[k])) << k;
}

TEST(ConcurrentControlsTest, SpectralDelayRendersWhileItsControlsChange) {
    ProcessValues process;
    DSP::SpectralDelay delay;
    RenderWhileWriting(delay, {"LowCutoff", "HighCutoff", "LowDelay", "MidDelay", "HighDelay",
                               "LowFeedback", "MidFeedback", "HighFeedback"});
}

TEST(ConcurrentControlsTest, SpectralFreezeRendersWhileItIsFiredAndReset) {
    ProcessValues process;
    DSP::SpectralFreeze freeze;
    RenderWhileWriting(freeze, {"HighCutoff", "LowDecay", "HighDecay", "Fire", "Reset"});
}

TEST(ConcurrentControlsTest, SampleAndHoldRendersWhileItsHoldTimeChanges) {
    ProcessValues process;
    DSP::SampleAndHold hold;
    RenderWhileWriting(hold, {});
}

} // namespace
