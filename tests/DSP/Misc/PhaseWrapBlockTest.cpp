#include "DSP/Misc/PhaseWrapBlock.hpp"

#include "DSP/Misc/PhaseWrap.hpp"
#include "DSP/Misc/VectorLanes.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace {

// Phases as the accumulators meet them (a few turns either way, sums landing on and around
// whole turns), signed zeros, denormals, huge and non-finite values; the first values of the
// two inputs pair every special value with every other.
std::vector<float> Phases(int count, unsigned seed, bool rows) {
    const float inf = std::numeric_limits<float>::infinity(), turn = DSP::kTwoPi;
    const float special[] = {0.f,    -0.f,    turn,      -turn,      std::nextafter(turn, 0.f),
                             1e-40f, -1e-40f, 8388608.f, -8388609.f, 3e38f,
                             -3e38f, inf,     -inf,      NAN};
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> turns(-4.f, 4.f);
    std::uniform_int_distribution<int> octave(-20, 40), pick(0, std::size(special) - 1);
    std::vector<float> values(size_t(count), 0.f);
    constexpr int kinds = int(std::size(special));
    for (int i = kinds * kinds; i < count; ++i) {
        float& v = values[size_t(i)];
        const int kind = int(rng() % 8);
        v = kind < 5   ? turns(rng) * DSP::kTwoPi
            : kind < 7 ? std::ldexp(turns(rng), octave(rng))
                       : special[pick(rng)];
    }
    for (int i = 0; i < kinds * kinds; ++i)
        values[size_t(i)] = special[rows ? i / kinds : i % kinds];
    return values;
}

bool Same(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

TEST(PhaseWrapBlock, BothBuildsWrapEverySumAsTheScalarFunctionBitForBit) {
    using Fn = void (*)(const float*, const float*, int, float*);
    std::vector<Fn> builds{DSP::PhaseWrapBlockDetail::WrapPhaseSumsSse2};
    if (DSP::CpuHasAvx2())
        builds.push_back(DSP::PhaseWrapBlockDetail::WrapPhaseSumsAvx2);
    const int n = 4099; // whole blocks of both widths and a scalar tail
    const std::vector<float> a = Phases(n, 1, true), b = Phases(n, 2, false);
    for (Fn build : builds) {
        std::vector<float> out(static_cast<size_t>(n));
        build(a.data(), b.data(), n, out.data());
        for (int k = 0; k < n; ++k)
            ASSERT_TRUE(Same(out[size_t(k)], DSP::WrapPhase(a[size_t(k)] + b[size_t(k)])))
                << a[size_t(k)] << " + " << b[size_t(k)] << " gave " << out[size_t(k)];
        // In place, as the accumulators call it.
        std::vector<float> inPlace = a;
        build(inPlace.data(), b.data(), n, inPlace.data());
        EXPECT_EQ(0, std::memcmp(inPlace.data(), out.data(), sizeof(float) * size_t(n)));
    }
}

} // namespace
