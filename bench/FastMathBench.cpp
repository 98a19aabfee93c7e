// Each fast approximation against the standard-library function it replaces. One iteration
// applies both to the same 4096 inputs, written to an output array (the way the spectral
// conversions use them), one right after the other, and times each pass with the thread's
// CPU clock, so that load on the machine affects both alike. Counters: fast_ns and std_ns per
// call, and speedup = std_ns / fast_ns (above 1: the approximation is faster).

#include "DSP/Misc/FastMath.hpp"

#include <benchmark/benchmark.h>

#include <cmath>
#include <ctime>
#include <random>
#include <vector>

namespace {

constexpr int kCount = 4096;
constexpr float kPi = 3.14159265f;

double ThreadCpuNs() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e9 + static_cast<double>(ts.tv_nsec);
}

std::vector<float> Uniform(float lo, float hi, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> d(lo, hi);
    std::vector<float> v(kCount);
    for (float& x : v)
        x = d(rng);
    return v;
}

// Values spread evenly over the decades 10^lo ... 10^hi.
std::vector<float> Decades(float lo, float hi, unsigned seed) {
    std::vector<float> v = Uniform(lo, hi, seed);
    for (float& x : v)
        x = std::pow(10.0f, x);
    return v;
}

// Runs fastPass and stdPass (each fills out from the inputs) once per iteration.
template <class FastPass, class StdPass>
void Compare(benchmark::State& state, FastPass fastPass, StdPass stdPass) {
    std::vector<float> out(kCount);
    double fastNs = 0;
    double stdNs = 0;
    for (auto _ : state) {
        const double t0 = ThreadCpuNs();
        fastPass(out.data());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
        const double t1 = ThreadCpuNs();
        stdPass(out.data());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
        const double t2 = ThreadCpuNs();
        fastNs += t1 - t0;
        stdNs += t2 - t1;
    }
    const double calls = static_cast<double>(state.iterations()) * kCount;
    state.counters["fast_ns"] = fastNs / calls;
    state.counters["std_ns"] = stdNs / calls;
    state.counters["speedup"] = stdNs / fastNs;
}

template <class Fast, class Std>
void CompareUnary(benchmark::State& state, const std::vector<float>& in, Fast fast, Std ref) {
    Compare(
        state,
        [&](float* out) {
            for (int i = 0; i < kCount; ++i)
                out[i] = fast(in[i]);
        },
        [&](float* out) {
            for (int i = 0; i < kCount; ++i)
                out[i] = ref(in[i]);
        });
}

template <class Fast, class Std>
void CompareBinary(benchmark::State& state, const std::vector<float>& a,
                   const std::vector<float>& b, Fast fast, Std ref) {
    Compare(
        state,
        [&](float* out) {
            for (int i = 0; i < kCount; ++i)
                out[i] = fast(a[i], b[i]);
        },
        [&](float* out) {
            for (int i = 0; i < kCount; ++i)
                out[i] = ref(a[i], b[i]);
        });
}

void Sqrt(benchmark::State& s) {
    // Squared magnitudes of spectrum bins.
    static const std::vector<float> in = Decades(-6.0f, 6.0f, 1);
    CompareUnary(s, in, DSP_sqrt, [](float x) { return std::sqrt(x); });
}

void Sin(benchmark::State& s) {
    static const std::vector<float> in = Uniform(-4.0f * kPi, 4.0f * kPi, 2);
    CompareUnary(s, in, DSP_sin, [](float x) { return std::sin(x); });
}

void Cos(benchmark::State& s) {
    static const std::vector<float> in = Uniform(-4.0f * kPi, 4.0f * kPi, 2);
    CompareUnary(s, in, DSP_cos, [](float x) { return std::cos(x); });
}

void Atan(benchmark::State& s) {
    // Both branches: |x| <= 1 and |x| > 1.
    static const std::vector<float> in = Uniform(-100.0f, 100.0f, 3);
    CompareUnary(s, in, DSP_atan, [](float x) { return std::atan(x); });
}

void Atan2(benchmark::State& s) {
    // Points all around the origin (every branch).
    static const std::vector<float> y = Uniform(-1.0f, 1.0f, 4);
    static const std::vector<float> x = Uniform(-1.0f, 1.0f, 5);
    CompareBinary(s, y, x, DSP_atan2, [](float a, float b) { return std::atan2(a, b); });
}

void Log2(benchmark::State& s) {
    static const std::vector<float> in = Decades(-6.0f, 6.0f, 6);
    CompareUnary(s, in, DSP_log2, [](float x) { return std::log2(x); });
}

void Pow2(benchmark::State& s) {
    static const std::vector<float> in = Uniform(-20.0f, 20.0f, 7);
    CompareUnary(s, in, DSP_pow2, [](float x) { return std::exp2(x); });
}

void Pow(benchmark::State& s) {
    static const std::vector<float> x = Decades(-2.0f, 2.0f, 8);
    static const std::vector<float> y = Uniform(-3.0f, 3.0f, 9);
    CompareBinary(s, x, y, DSP_pow, [](float a, float b) { return std::pow(a, b); });
}

// frequency is exact by design (double-precision pow); the pair shows what that costs against
// the single-precision library power.
void Frequency(benchmark::State& s) {
    static const std::vector<float> in = Uniform(-24.0f, 24.0f, 10);
    CompareUnary(s, in, frequency, [](float x) { return std::pow(2.0f, x / 12.0f); });
}

} // namespace

BENCHMARK(Sqrt)->Name("FastMath/DSP_sqrt_vs_sqrt");
BENCHMARK(Sin)->Name("FastMath/DSP_sin_vs_sin");
BENCHMARK(Cos)->Name("FastMath/DSP_cos_vs_cos");
BENCHMARK(Atan)->Name("FastMath/DSP_atan_vs_atan");
BENCHMARK(Atan2)->Name("FastMath/DSP_atan2_vs_atan2");
BENCHMARK(Log2)->Name("FastMath/DSP_log2_vs_log2");
BENCHMARK(Pow2)->Name("FastMath/DSP_pow2_vs_exp2");
BENCHMARK(Pow)->Name("FastMath/DSP_pow_vs_pow");
BENCHMARK(Frequency)->Name("FastMath/frequency_vs_powf");
