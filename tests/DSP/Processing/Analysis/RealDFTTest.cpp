#include "DSP/Processing/Analysis/RealDFT.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace {

using DSP::RealDFT;
using Kernels = RealDFT::Kernels;

// Frames of every kind a transform meets: ordinary values over many octaves, silence,
// denormals alone, values whose sums overflow, and a few infinities or NaN among ordinary ones.
std::vector<std::vector<float>> Frames(int n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> unit(-1.f, 1.f);
    std::uniform_int_distribution<int> octave(-30, 30), at(0, n - 1);
    std::vector<std::vector<float>> frames(5, std::vector<float>(size_t(n)));
    for (int i = 0; i < n; ++i) {
        frames[0][size_t(i)] = std::ldexp(unit(rng), octave(rng));
        frames[2][size_t(i)] = unit(rng) * 1e-39f;
        frames[3][size_t(i)] = unit(rng) * 3e38f;
        frames[4][size_t(i)] = unit(rng);
    }
    const float special[] = {std::numeric_limits<float>::infinity(),
                             -std::numeric_limits<float>::infinity(),
                             std::numeric_limits<float>::quiet_NaN()};
    frames[4][size_t(at(rng))] = special[rng() % 3];
    return frames;
}

bool SameValue(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

TEST(RealDFT, TheLaneKernelsGiveTheScalarReferencesBitsBothWaysAtEverySize) {
    std::vector<Kernels> kernels{Kernels::eFourLanes};
    if (RealDFT::Widest() == Kernels::eEightLanes)
        kernels.push_back(Kernels::eEightLanes);
    for (int n = 2; n <= 65536; n *= 2) {
        RealDFT transform;
        transform.Setup(n);
        for (int isgn : {1, -1})
            for (const std::vector<float>& frame : Frames(n, unsigned(n + isgn))) {
                std::vector<float> reference = frame;
                transform.TransformWith(Kernels::eScalar, reference.data(), isgn);
                for (Kernels k : kernels) {
                    std::vector<float> lanes = frame;
                    transform.TransformWith(k, lanes.data(), isgn);
                    for (int i = 0; i < n; ++i)
                        ASSERT_TRUE(SameValue(lanes[size_t(i)], reference[size_t(i)]))
                            << "n = " << n << ", isgn = " << isgn << ", kernels " << int(k)
                            << ", value " << i << ": " << lanes[size_t(i)] << " vs "
                            << reference[size_t(i)];
                }
            }
    }
}

} // namespace
