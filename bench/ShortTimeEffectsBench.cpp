// Cost of one hop of each short-time program's effect on a 513-bin spectrum, with every band
// working (the delay's three lines active, the freeze running, the modulations swinging).

#include "DSP/Data/Spectrum.hpp"
#include "Quorvel/Transformations/OscillatingSpectralNotch.hpp"
#include "Quorvel/Transformations/SampleAndHold.hpp"
#include "Quorvel/Transformations/SpectralAmplitudeModulation.hpp"
#include "Quorvel/Transformations/SpectralDelay.hpp"
#include "Quorvel/Transformations/SpectralFreeze.hpp"
#include "Quorvel/Transformations/SpectralNotch.hpp"
#include "Quorvel/Transformations/ThreeBandFilter.hpp"

#include <benchmark/benchmark.h>

namespace {

constexpr int kBins = 513;

DSP::Spectrum Input() {
    DSP::SpectrumConfig config;
    config.SetSize(kBins);
    DSP::Spectrum spectrum(config);
    for (int k = 0; k < kBins; ++k) {
        spectrum.GetMagBuffer()[k] = 1.f / (1.f + k);
        spectrum.GetPhaseBuffer()[k] = 0.37f * k - 3.f;
    }
    return spectrum;
}

template <class Effect> void RunHops(benchmark::State& state, Effect& effect) {
    const DSP::Spectrum in = Input();
    DSP::Spectrum out = Input();
    for (auto _ : state) {
        effect.Do(in, out);
        benchmark::DoNotOptimize(out.GetMagBuffer().GetPtr());
    }
}

void BM_SpectralDelayHop(benchmark::State& state) {
    DSP::SpectralDelay delay;
    delay.Configure(DSP::FrameTransformationConfig());
    delay.Start();
    RunHops(state, delay);
}
BENCHMARK(BM_SpectralDelayHop);

void BM_SpectralFreezeHop(benchmark::State& state) {
    DSP::SpectralFreeze freeze;
    freeze.Configure(DSP::FrameTransformationConfig());
    freeze.Start();
    freeze.Fire(1.f);
    RunHops(state, freeze);
}
BENCHMARK(BM_SpectralFreezeHop);

void BM_SampleAndHoldHop(benchmark::State& state) {
    DSP::SampleAndHold hold;
    hold.Configure(DSP::FrameTransformationConfig());
    hold.Start();
    RunHops(state, hold);
}
BENCHMARK(BM_SampleAndHoldHop);

// The effects whose controls keep their initial values: all their bands are active then.
template <class Effect> void BM_EffectHop(benchmark::State& state) {
    Effect effect;
    effect.Configure(DSP::FrameTransformationConfig());
    effect.Start();
    RunHops(state, effect);
}
BENCHMARK(BM_EffectHop<DSP::SpectralAmplitudeModulation>)->Name("BM_SpectralAMHop");
BENCHMARK(BM_EffectHop<DSP::ThreeBandFilter>)->Name("BM_ThreeBandFilterHop");
BENCHMARK(BM_EffectHop<DSP::SpectralNotch>)->Name("BM_SpectralNotchHop");
BENCHMARK(BM_EffectHop<DSP::OscillatingSpectralNotch>)->Name("BM_OscillatingSpectralNotchHop");

} // namespace
