// Cost of one hop of the delay, freeze and sample-and-hold programs on a 513-bin spectrum,
// with every band working (the delay's three lines active, the freeze running).

#include "DSP/Data/Spectrum.hpp"
#include "Quorvel/Transformations/SampleAndHold.hpp"
#include "Quorvel/Transformations/SpectralDelay.hpp"
#include "Quorvel/Transformations/SpectralFreeze.hpp"

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

} // namespace
