// The yardstick of the short-time path: a bare FFTW loop over the same hops as
// BM_ReferenceHop (copy and window a 1024-sample frame, real forward and inverse transform,
// overlap-add 256 samples) with FFTW's own measured plans. BM_EngineHop/<program> does two
// channel-hops, so compare it with twice this figure.

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <cmath>
#include <vector>

namespace {

constexpr int kFrame = 1024;
constexpr int kHop = 256;

void BM_FftwReferenceHop(benchmark::State& state) {
    float* frame = fftwf_alloc_real(kFrame);
    float* resynthesised = fftwf_alloc_real(kFrame);
    fftwf_complex* bins = fftwf_alloc_complex(kFrame / 2 + 1);
    const fftwf_plan forward = fftwf_plan_dft_r2c_1d(kFrame, frame, bins, FFTW_MEASURE);
    const fftwf_plan inverse = fftwf_plan_dft_c2r_1d(kFrame, bins, resynthesised, FFTW_MEASURE);
    std::vector<float> window(kFrame), input(1 << 16), overlap(2 * kHop, 0.0f), out(kHop);
    for (int i = 0; i < kFrame; ++i)
        window[size_t(i)] = float(0.5 - 0.5 * std::cos(6.283185307179586 * i / kFrame));
    for (size_t i = 0; i < input.size(); ++i)
        input[i] = float(0.3 * std::sin(0.05 * double(i)) + 0.1 * std::sin(0.71 * double(i)));
    size_t at = 0;
    for (auto _ : state) {
        for (int i = 0; i < kFrame; ++i)
            frame[i] = input[(at + size_t(i)) & 0xFFFF] * window[size_t(i)];
        fftwf_execute(forward);
        fftwf_execute(inverse);
        for (int i = 0; i < kHop; ++i) {
            out[size_t(i)] = overlap[size_t(kHop + i)] + resynthesised[kHop + i];
            overlap[size_t(kHop + i)] = resynthesised[2 * kHop + i];
        }
        benchmark::DoNotOptimize(out.data());
        at += kHop;
    }
    fftwf_destroy_plan(forward);
    fftwf_destroy_plan(inverse);
    fftwf_free(bins);
    fftwf_free(resynthesised);
    fftwf_free(frame);
}
BENCHMARK(BM_FftwReferenceHop);

} // namespace
