// Per-call cost of the short-time path's transforms at size 1024, next to a textbook radix-2
// complex FFT written here as a yardstick (same machine, same run: compare the ratio).
//
//   build/bench/quorvel_bench --benchmark_filter='FFT|RealDFT|Radix2'

#include "DSP/Processing/Analysis/FFT_ooura.hpp"
#include "DSP/Processing/Analysis/RealDFT.hpp"
#include "DSP/Processing/Synthesis/IFFT_ooura.hpp"

#include <benchmark/benchmark.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <vector>

namespace {

constexpr int kSize = 1024;

std::vector<float> TestFrame() {
    std::vector<float> frame(kSize);
    for (int j = 0; j < kSize; ++j)
        frame[j] = float(std::sin(0.05 * j) + 0.25 * std::cos(0.31 * j));
    return frame;
}

// The transforms work in place, so each iteration starts from a fresh copy of the frame
// (a 4 KiB copy, a few percent of a transform).
void BM_FFT_ooura_Do(benchmark::State& state) {
    DSP::FFTConfig config;
    config.SetAudioSize(kSize);
    DSP::FFT_ooura fft(config);
    const std::vector<float> source = TestFrame();
    DSP::Audio frame;
    frame.SetSize(kSize);
    DSP::Spectrum spectrum;
    spectrum.SetSize(kSize / 2 + 1);
    for (auto _ : state) {
        std::memcpy(frame.GetBuffer().GetPtr(), source.data(), sizeof(float) * kSize);
        fft.Do(frame, spectrum);
        benchmark::DoNotOptimize(spectrum.GetMagBuffer().GetPtr());
    }
}
BENCHMARK(BM_FFT_ooura_Do);

void BM_IFFT_ooura_Do(benchmark::State& state) {
    DSP::FFTConfig forwardConfig;
    forwardConfig.SetAudioSize(kSize);
    DSP::FFT_ooura fft(forwardConfig);
    DSP::IFFTConfig config;
    config.SetAudioSize(kSize);
    DSP::IFFT_ooura ifft(config);
    const std::vector<float> source = TestFrame();
    DSP::Audio frame;
    frame.SetSize(kSize);
    std::memcpy(frame.GetBuffer().GetPtr(), source.data(), sizeof(float) * kSize);
    DSP::Spectrum spectrum;
    spectrum.SetSize(kSize / 2 + 1);
    fft.Do(frame, spectrum);
    DSP::Audio out;
    out.SetSize(kSize);
    for (auto _ : state) {
        ifft.Do(spectrum, out);
        benchmark::DoNotOptimize(out.GetBuffer().GetPtr());
    }
}
BENCHMARK(BM_IFFT_ooura_Do);

// The real transform alone, without the magnitude/phase step.
void BM_RealDFT_Forward(benchmark::State& state) {
    DSP::RealDFT transform;
    transform.Setup(kSize);
    const std::vector<float> source = TestFrame();
    std::vector<float> a(kSize);
    for (auto _ : state) {
        std::memcpy(a.data(), source.data(), sizeof(float) * kSize);
        transform.Transform(a.data(), 1);
        benchmark::DoNotOptimize(a.data());
    }
}
BENCHMARK(BM_RealDFT_Forward);

// Yardstick: iterative radix-2 complex FFT of the N real samples (imaginary parts zero), with
// precomputed bit reversal and twiddles.
class Radix2 {
public:
    explicit Radix2(int n) : mSize(n), mReversed(n), mTwiddles(n / 2) {
        int bits = 0;
        while ((1 << bits) < n)
            ++bits;
        for (int i = 0; i < n; ++i) {
            int r = 0;
            for (int b = 0; b < bits; ++b)
                r |= ((i >> b) & 1) << (bits - 1 - b);
            mReversed[i] = r;
        }
        for (int k = 0; k < n / 2; ++k)
            mTwiddles[k] = std::polar(1.0f, float(-2.0 * M_PI * k / n));
    }

    void Transform(std::vector<std::complex<float>>& x) const {
        for (int i = 0; i < mSize; ++i)
            if (i < mReversed[i])
                std::swap(x[i], x[mReversed[i]]);
        for (int half = 1; half < mSize; half *= 2) {
            const int stride = mSize / (2 * half);
            for (int start = 0; start < mSize; start += 2 * half) {
                for (int j = 0; j < half; ++j) {
                    const std::complex<float> t = mTwiddles[j * stride] * x[start + j + half];
                    x[start + j + half] = x[start + j] - t;
                    x[start + j] += t;
                }
            }
        }
    }

private:
    int mSize;
    std::vector<int> mReversed;
    std::vector<std::complex<float>> mTwiddles;
};

void BM_Radix2ComplexReference(benchmark::State& state) {
    const Radix2 reference(kSize);
    const std::vector<float> source = TestFrame();
    std::vector<std::complex<float>> x(kSize);
    for (auto _ : state) {
        for (int j = 0; j < kSize; ++j)
            x[j] = source[j];
        reference.Transform(x);
        benchmark::DoNotOptimize(x.data());
    }
}
BENCHMARK(BM_Radix2ComplexReference);

} // namespace
