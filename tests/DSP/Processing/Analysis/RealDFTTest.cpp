#include "DSP/Processing/Analysis/RealDFT.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

using DSP::RealDFT;

std::vector<float> RandomFrame(int n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> sample(-1.0f, 1.0f);
    std::vector<float> x(n);
    for (float& v : x)
        v = sample(rng);
    return x;
}

double Norm(const std::vector<float>& x) {
    double s = 0.0;
    for (float v : x)
        s += double(v) * v;
    return std::sqrt(s);
}

// The largest distance between the packed transform a of x and the packed layout computed
// directly from its definition in double precision.
double LargestErrorAgainstDefinition(const std::vector<float>& x, const std::vector<float>& a) {
    const int n = int(x.size());
    double largest = 0.0;
    for (int k = 0; k <= n / 2; ++k) {
        double c = 0.0, s = 0.0;
        for (int j = 0; j < n; ++j) {
            const double angle = 2.0 * M_PI * double((long long)j * k % n) / n;
            c += x[j] * std::cos(angle);
            s += x[j] * std::sin(angle);
        }
        double error;
        if (k == 0)
            error = std::fabs(a[0] - c);
        else if (k == n / 2)
            error = std::fabs(a[1] - c);
        else
            error = std::hypot(a[2 * k] - c, a[2 * k + 1] - s);
        largest = std::max(largest, error);
    }
    return largest;
}

TEST(RealDFTTest, ForwardMatchesTheDefinitionAtEverySize) {
    for (int n = 2; n <= 4096; n *= 2) {
        const std::vector<float> x = RandomFrame(n, unsigned(n));
        std::vector<float> a = x;
        RealDFT transform;
        transform.Setup(n);
        transform.Transform(a.data(), 1);
        // The twiddles are fast sines and cosines: the sine is off by up to 3.1e-6 in the first
        // octant, and these errors add up over the log2(N/2) passes; measured 1.4e-5 * |x| at
        // N = 1024 and 1.9e-5 * |x| at 4096.
        EXPECT_LT(LargestErrorAgainstDefinition(x, a), 5e-5 * Norm(x)) << "n = " << n;
    }
}

TEST(RealDFTTest, AlgorithmIsExactToRoundingWithExactTwiddles) {
    // The same transform with its tables overwritten by exact cosines and sines, to tell the
    // algorithm's own error (single-precision rounding, a few 1e-7 * |x|) from the tables'.
    const int n = 1024;
    std::vector<int> ip(RealDFT::WorkAreaSize(n), 0);
    std::vector<float> w(RealDFT::TableSize(n), 0.0f);
    std::vector<float> scratch(n, 0.0f);
    RealDFT::rdft(n, 1, scratch.data(), ip.data(), w.data());
    const int twiddles = n / 8, cosines = n / 4;
    for (int m = 0; m < twiddles; ++m) {
        w[2 * m] = float(std::cos(2.0 * M_PI * m / (n / 2)));
        w[2 * m + 1] = float(std::sin(2.0 * M_PI * m / (n / 2)));
    }
    for (int k = 0; k < cosines; ++k)
        w[2 * twiddles + k] = float(std::cos(2.0 * M_PI * k / n));

    const std::vector<float> x = RandomFrame(n, 7);
    std::vector<float> a = x;
    RealDFT::rdft(n, 1, a.data(), ip.data(), w.data());
    // About log2(N) roundings of relative size 6e-8 per value; 1e-6 * |x| is a generous bound.
    EXPECT_LT(LargestErrorAgainstDefinition(x, a), 1e-6 * Norm(x));

    RealDFT::rdft(n, -1, a.data(), ip.data(), w.data());
    for (int j = 0; j < n; ++j)
        ASSERT_NEAR(a[j] * 2.0f / n, x[j], 1e-6f) << j;
}

TEST(RealDFTTest, BackwardUndoesForwardUpToTheHalfSizeFactor) {
    for (int n : {2, 4, 8, 64, 1024, 2048}) {
        const std::vector<float> x = RandomFrame(n, 11u + unsigned(n));
        std::vector<float> a = x;
        RealDFT transform;
        transform.Setup(n);
        transform.Transform(a.data(), 1);
        transform.Transform(a.data(), -1);
        // The twiddle errors do not cancel between the two directions (the fast sine and cosine
        // are not on the unit circle exactly); measured up to 1.5e-5 for samples within +-1.
        for (int j = 0; j < n; ++j)
            ASSERT_NEAR(a[j] * 2.0f / float(n), x[j], 5e-5f) << "n = " << n << ", j = " << j;
    }
}

TEST(RealDFTTest, ZeroWorkAreaMakesTheFirstCallBuildTheTables) {
    const int n = 256;
    std::vector<int> ip(RealDFT::WorkAreaSize(n), 0);
    std::vector<float> w(RealDFT::TableSize(n), 0.0f);
    std::vector<float> lazy = RandomFrame(n, 3), ready = lazy;
    RealDFT::rdft(n, 1, lazy.data(), ip.data(), w.data());
    RealDFT transform;
    transform.Setup(n);
    transform.Transform(ready.data(), 1);
    EXPECT_EQ(lazy, ready);
}

} // namespace
