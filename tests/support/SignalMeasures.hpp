#pragma once

// Measurements of rendered audio shared by the suites, and the reasoning behind the
// tolerances the tests put on them, written once:
// - Resynthesis SNR. The short-time path rebuilds its input through the fast sine, cosine and
//   square root: the error sits near -92 dB, so tests ask for 85 dB (60 dB where a whole
//   program's crossfades and parameter smoothing are in the way). The harmonic residual path
//   subtracts and adds spectra with the fast trigonometry: about 45 dB, tests ask for 40 dB.
// - Tone amplitude by correlation: exact for a whole number of periods, within a fraction of
//   a percent over many periods otherwise, so a tenth of a dB is ample for a steady tone.
// - Levels in dB compare RMS over the same stretch of input and output, well after onsets.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <random>
#include <vector>

namespace SignalMeasures {

inline constexpr double kTwoPi = 6.283185307179586;

inline double Db(double ratio) {
    return 20.0 * std::log10(ratio);
}

inline double Rms(const std::vector<float>& x, std::size_t from, std::size_t to) {
    double sum = 0.0;
    for (std::size_t i = from; i < to; ++i)
        sum += double(x[i]) * x[i];
    return std::sqrt(sum / double(to - from));
}

// Signal-to-error ratio in dB of `actual` against `reference` over reference[from, to), where
// actual[i + delay] stands for reference[i]; `to` defaults to the end of the reference.
inline double SnrDb(const std::vector<float>& reference, const std::vector<float>& actual,
                    std::size_t from = 0, std::size_t to = 0, std::size_t delay = 0) {
    if (to == 0)
        to = reference.size();
    double signal = 0.0, error = 0.0;
    for (std::size_t i = from; i < to; ++i) {
        const double d = double(actual[i + delay]) - reference[i];
        signal += double(reference[i]) * reference[i];
        error += d * d;
    }
    return 10.0 * std::log10(signal / std::max(error, 1e-300));
}

// Amplitude of the `hz` component of x[from, to) sampled at `rateHz`, by correlation.
inline double AmplitudeAt(const std::vector<float>& x, double hz, double rateHz, std::size_t from,
                          std::size_t to) {
    double re = 0.0, im = 0.0;
    for (std::size_t i = from; i < to; ++i) {
        re += x[i] * std::cos(kTwoPi * hz * double(i) / rateHz);
        im += x[i] * std::sin(kTwoPi * hz * double(i) / rateHz);
    }
    return 2.0 * std::hypot(re, im) / double(to - from);
}

// The fundamental of x[from, to) in Hz: the best normalised autocorrelation between minLag and
// maxLag, refined by a parabola through its neighbours (a few hundredths of a Hz near 220 Hz).
inline double FundamentalHz(const std::vector<float>& x, double rateHz, std::size_t from,
                            std::size_t to, int minLag, int maxLag) {
    auto correlation = [&](int lag) {
        double xy = 0.0, xx = 0.0, yy = 0.0;
        for (std::size_t i = from; i + std::size_t(lag) < to; ++i) {
            xy += double(x[i]) * x[i + lag];
            xx += double(x[i]) * x[i];
            yy += double(x[i + lag]) * x[i + lag];
        }
        return xy / std::sqrt(xx * yy);
    };
    int best = minLag;
    for (int lag = minLag; lag <= maxLag; ++lag)
        if (correlation(lag) > correlation(best))
            best = lag;
    const double l = correlation(best - 1), c = correlation(best), r = correlation(best + 1);
    return rateHz / (best + 0.5 * (l - r) / (l - 2.0 * c + r));
}

// The index of the sample with the largest magnitude (the first of equals).
inline std::size_t Loudest(const std::vector<float>& x) {
    std::size_t loudest = 0;
    for (std::size_t i = 0; i < x.size(); ++i)
        if (std::fabs(x[i]) > std::fabs(x[loudest]))
            loudest = i;
    return loudest;
}

// Noise from a fixed seed: Gaussian with deviation `sigma`, or uniform in [-level, level).
inline std::vector<float> GaussianNoise(std::size_t n, float sigma, unsigned seed) {
    std::mt19937 rng(seed);
    std::normal_distribution<float> sample(0.f, sigma);
    std::vector<float> x(n);
    for (float& v : x)
        v = sample(rng);
    return x;
}
inline std::vector<float> UniformNoise(std::size_t n, float level, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> sample(-level, level);
    std::vector<float> x(n);
    for (float& v : x)
        v = sample(rng);
    return x;
}

} // namespace SignalMeasures
