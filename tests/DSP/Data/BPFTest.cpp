#include "DSP/Data/BPF.hpp"
#include "DSP/Data/ArrayToBPFCnv.hpp"

#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

using BPF = DSP::BPFTmpl<float, float>;
using DSP::EInterpolation;
using Floats = std::vector<float>;

namespace {

BPF Make(const std::vector<std::pair<float, float>>& points) {
    BPF bpf;
    for (const auto& p : points)
        bpf.Insert(p.first, p.second);
    return bpf;
}

// y = 0, 1, 0, 1, ... at x = 0, 1, 2, ...: a polynomial through any window of it depends on
// which points the window holds, so it shows the choice of points.
BPF Zigzag(int n, int type = EInterpolation::eLinear) {
    BPF bpf;
    for (int i = 0; i < n; ++i)
        bpf.Insert(static_cast<float>(i), static_cast<float>(i % 2));
    bpf.SetIntpType(EInterpolation(type));
    return bpf;
}

Floats Xs(const BPF& bpf, bool ys = false) {
    Floats v;
    for (int i = 0; i < bpf.Size(); ++i)
        v.push_back(ys ? bpf.GetValueFromIndex(i) : bpf.GetXValue(i));
    return v;
}

class BPFTest : public ::testing::Test {
protected:
    QuietAssertions quiet;
};

} // namespace

TEST_F(BPFTest, LookupsInterpolateClampAndDoNotDependOnTheirOrder) {
    const BPF line = Make({{0, 0}, {1, 10}, {2, 20}});
    for (auto [x, y] : {std::pair{0.5f, 5.f}, {1.f, 10.f}, {1.5f, 15.f}, {-3.f, 0.f}, {7.f, 20.f}})
        EXPECT_EQ(BPF(line).GetValue(x), y) << x;
    const BPF stepped = Make({{0, 0}, {1, 10}, {2, 20}, {4, 0}});
    const EInterpolation step(EInterpolation::eStep), round(EInterpolation::eRound);
    // Step holds the point at or below x; Round takes the nearer point, the upper one half way.
    for (auto [x, s, r] : {std::tuple{0.4f, 0.f, 0.f},
                           {0.6f, 0.f, 10.f},
                           {3.0f, 20.f, 0.f},
                           {3.9f, 20.f, 0.f},
                           {2.9f, 20.f, 20.f}}) {
        EXPECT_EQ(BPF(stepped).GetValue(x, step), s) << x;
        EXPECT_EQ(BPF(stepped).GetValue(x, round), r) << x;
    }
    // A fresh search landing on the last point must not read one point past the end.
    for (int type = EInterpolation::eStep; type <= EInterpolation::ePolynomialn; ++type) {
        BPF bpf = Zigzag(5);
        bpf.SetValue(4, 7.0f);
        bpf.UpdateSplineTable();
        EXPECT_EQ(bpf.GetValue(4.5f, EInterpolation(type)), 7.0f) << type;
    }
    // The remembered position of the last lookup must not change any result.
    std::mt19937 rng(3);
    BPF bpf;
    float x = 0;
    for (int i = 0; i < 100; ++i, x += std::uniform_real_distribution<float>(0.1f, 2.f)(rng))
        bpf.Insert(x, std::uniform_real_distribution<float>(-5.f, 5.f)(rng));
    std::vector<float> probes;
    for (int i = 0; i <= 1000; ++i)
        probes.push_back(-10.0f + (x + 20.0f) * static_cast<float>(i) / 1000.0f);
    std::shuffle(probes.begin() + 500, probes.end(), rng); // forward, then jumping around
    for (float p : probes)
        ASSERT_EQ(bpf.GetValue(p), BPF(bpf).GetValue(p)) << p;
    for (auto p = probes.rbegin(); p != probes.rend(); ++p) // backward
        ASSERT_EQ(bpf.GetValue(*p), BPF(bpf).GetValue(*p)) << *p;
}

TEST_F(BPFTest, InsertKeepsThePointsSortedAndReplacesEqualAbscissae) {
    BPF bpf = Make({{0, 0}, {1, 10}, {2, 20}});
    EXPECT_EQ(bpf.Insert(1.0f, 5.0f), 1);
    EXPECT_EQ(bpf.Insert(-1.0f, 3.0f), 0);
    EXPECT_EQ(bpf.Insert(0.5f, 7.0f), 2);
    EXPECT_EQ(bpf.Insert(-1.0f, 4.0f), 0); // the first point is replaced too
    EXPECT_EQ(bpf.Insert(2.0f, 2.0f), 4);  // and the last
    EXPECT_EQ(Xs(bpf), (Floats{-1, 0, 0.5f, 1, 2}));
    EXPECT_EQ(Xs(bpf, true), (Floats{4, 0, 7, 5, 2}));
}

// Hand-computed Lagrange values; a tolerance of 1e-6 covers a few single-precision roundings
// (divisions by 3 and 5 in the tableau) on values of order one.
TEST_F(BPFTest, PolynomialsUseTheClosestPointsAroundX) {
    const struct {
        int type, points;
        float x, expected;
    } cases[] = {
        // Points 1, 2, 3 (not 2, 3, 4, which would give 0.75).
        {EInterpolation::ePolynomial2, 5, 2.5f, 0.25f},
        // Points 1 ... 4 (0 ... 3 would give 0).
        {EInterpolation::ePolynomial3, 5, 2.5f, 0.5f},
        // Near the ends the window is pushed inside.
        {EInterpolation::ePolynomial3, 5, 0.5f, 1.0f},
        {EInterpolation::ePolynomial3, 5, 3.5f, 1.0f},
        {EInterpolation::ePolynomial4, 5, 2.5f, 0.3125f},
        {EInterpolation::ePolynomial5, 6, 2.5f, 0.5f},
        {EInterpolation::ePolynomialn, 6, 2.5f, 0.5f},
        {EInterpolation::ePolynomialn, 5, 2.5f, 0.3125f},
    };
    for (const auto& c : cases) {
        const BPF bpf = Zigzag(c.points, c.type);
        EXPECT_NEAR(BPF(bpf).GetValue(c.x), c.expected, 1e-6)
            << EInterpolation(c.type).GetString() << " on " << c.points << " at " << c.x;
    }
}

TEST_F(BPFTest, InterpolationFailuresNameTheirCause) {
    EXPECT_DSP_ASSERT(Zigzag(3, EInterpolation::ePolynomial3).GetValue(0.5f),
                      "BPF size must be at least the interpolation order plus one");
    BPF twin = Zigzag(4, EInterpolation::ePolynomial2);
    twin.SetXValue(2, 1.0f); // two points at x = 1
    EXPECT_DSP_ASSERT(twin.GetValue(1.5f), "Division by zero error interpolating BPF");
    EXPECT_DSP_ASSERT(BPF().GetValue(1.0f), "BPF::GetValue: the BPF has no points");
    EXPECT_DSP_ASSERT(Zigzag(2).UpdateSplineTable(), "BPF size too small for spline");
    // Points put out of order through SetXValue: the spline's bracket has zero width.
    BPF unsorted(4, EInterpolation(EInterpolation::eSpline));
    unsorted.SetXValue(0, 1.0f);
    unsorted.UpdateSplineTable();
    EXPECT_DSP_ASSERT(unsorted.GetValue(0.5f), "Error interpolating Spline");
}

TEST_F(BPFTest, NaturalSplinesMatchHandComputedCurves) {
    // Through (0,0), (1,1), (2,0) with free ends the second derivatives are 0, -3, 0, and the
    // midpoints lie at 1/2 + 3 (1/8 - 1/2) / 6 ... = 0.6875 exactly.
    BPF bpf = Make({{0, 0}, {1, 1}, {2, 0}});
    bpf.SetIntpType(EInterpolation(EInterpolation::eSpline));
    bpf.UpdateSplineTable();
    EXPECT_EQ(bpf.GetValue(0.5f), 0.6875f);
    EXPECT_EQ(bpf.GetValue(1.5f), 0.6875f);

    // Uneven spacing: through (0,0), (1,1), (3,0) the middle second derivative is -1.5, so
    // x = 0.5 gives 1/2 + 3/32 and x = 2 gives 1/2 + 3/8. A copy carries the built table.
    BPF uneven = Make({{0, 0}, {1, 1}, {3, 0}});
    uneven.SetIntpType(EInterpolation(EInterpolation::eSpline));
    uneven.UpdateSplineTable();
    const BPF copy(uneven);
    EXPECT_EQ(copy.GetValue(0.5f), 0.59375f);
    EXPECT_EQ(copy.GetValue(2.0f), 0.875f);
}

TEST_F(BPFTest, EveryEditMakesTheSplineTableStale) {
    const std::vector<std::pair<const char*, std::function<void(BPF&)>>> edits = {
        {"Insert", [](BPF& b) { b.Insert(5.0f, 1.0f); }},
        {"SetValue", [](BPF& b) { b.SetValue(1, 2.0f); }},
        {"SetXValue", [](BPF& b) { b.SetXValue(3, 3.5f); }},
        {"DeleteIndex", [](BPF& b) { b.DeleteIndex(3); }},
        {"SetSize", [](BPF& b) { b.SetSize(3); }},
        {"Resize", [](BPF& b) { b.Resize(2); }},
        {"ConvertToBPF",
         [](BPF& b) { DSP::ConvertToBPF(b, 0.0f, 1.0f, DSP::Array<float>(b.Size())); }},
    };
    for (const auto& edit : edits) {
        SCOPED_TRACE(edit.first);
        BPF bpf = Zigzag(4, EInterpolation::eSpline);
        bpf.UpdateSplineTable();
        EXPECT_NO_THROW(bpf.GetValue(0.5f));
        edit.second(bpf);
        EXPECT_DSP_ASSERT(bpf.GetValue(0.5f), "BPF::Spline table not updated");
    }
}

TEST_F(BPFTest, ConvertToBPFLaysTheArrayOutEvenly) {
    DSP::Array<float> values(4);
    for (int i = 0; i < 4; ++i)
        values[i] = static_cast<float>(i * i);
    BPF bpf(4);
    DSP::ConvertToBPF(bpf, 0, 10, values);
    EXPECT_EQ(Xs(bpf), (Floats{0, 10, 20, 30}));
    EXPECT_EQ(bpf.GetValue(15.0f), 2.5f);
    EXPECT_DSP_ASSERT(DSP::ConvertToBPF(bpf, 0, 1, DSP::Array<float>(3)),
                      "Different array dimensions on write");
}
