#include "DSP/Data/BPF.hpp"
#include "DSP/Data/ArrayToBPFCnv.hpp"

#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

using BPF = DSP::BPFTmpl<float, float>;
using DSP::EInterpolation;

namespace {

BPF Make(const std::vector<std::pair<float, float>>& points) {
    BPF bpf;
    for (const auto& p : points)
        bpf.Insert(p.first, p.second);
    return bpf;
}

// y = 0, 1, 0, 1, ... at x = 0, 1, 2, ...: a polynomial through any window of it depends on
// which points the window holds, so it shows the choice of points.
BPF Zigzag(int n) {
    BPF bpf;
    for (int i = 0; i < n; ++i)
        bpf.Insert(static_cast<float>(i), static_cast<float>(i % 2));
    return bpf;
}

std::vector<float> Xs(const BPF& bpf) {
    std::vector<float> xs;
    for (int i = 0; i < bpf.Size(); ++i)
        xs.push_back(bpf.GetXValue(i));
    return xs;
}

class BPFTest : public ::testing::Test {
protected:
    QuietAssertions quiet;
};

} // namespace

TEST(EInterpolation, NamesTheMethodsInOrderAndDefaultsToLinear) {
    const char* names[] = {"Step",
                           "Round",
                           "Linear",
                           "Spline",
                           "2ond_order_Polynomial",
                           "3rd_order_Polynomial",
                           "4th_order_Polynomial",
                           "5th_order_Polynomial",
                           "nth_order_Polynomial"};
    for (int v = 0; v < 9; ++v)
        EXPECT_EQ(EInterpolation(v).GetString(), names[v]);
    EXPECT_EQ(EInterpolation().GetValue(), EInterpolation::eLinear);
    EInterpolation e;
    e.SetValue(std::string("Spline"));
    EXPECT_EQ(e.GetValue(), EInterpolation::eSpline);
    std::unique_ptr<DSP::Enum> copy(e.DeepCopy());
    EXPECT_EQ(copy->GetString(), "Spline");
}

TEST_F(BPFTest, ConstructsEmptyOrWithPointsAtTheOrigin) {
    BPF empty;
    EXPECT_EQ(empty.Size(), 0);
    EXPECT_EQ(empty.GetInterpolation().GetValue(), EInterpolation::eLinear);
    EXPECT_STREQ(empty.GetDSPClassName(), "BPF");

    BPF three(3);
    ASSERT_EQ(three.Size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(three.GetXValue(i), 0.0f);
        EXPECT_EQ(three.GetValueFromIndex(i), 0.0f);
    }
    three.Init();
    EXPECT_EQ(Xs(three), (std::vector<float>{0.0f, 1.0f, 2.0f}));

    BPF spline(EInterpolation(EInterpolation::eSpline));
    EXPECT_EQ(spline.GetInterpolation().GetValue(), EInterpolation::eSpline);
    BPF poly(4, EInterpolation(EInterpolation::ePolynomialn));
    EXPECT_EQ(poly.Size(), 4);
    EXPECT_DSP_ASSERT(BPF{EInterpolation{EInterpolation::eStep}},
                      "Unsupported interpolation method");
}

TEST_F(BPFTest, LinearLookupInterpolatesAndClampsToTheEnds) {
    BPF bpf = Make({{0, 0}, {1, 10}, {2, 20}});
    EXPECT_EQ(bpf.GetValue(0.5f), 5.0f);
    EXPECT_EQ(bpf.GetValue(1.0f), 10.0f);
    EXPECT_EQ(bpf.GetValue(1.5f), 15.0f);
    EXPECT_EQ(bpf.GetValue(-3.0f), 0.0f);
    EXPECT_EQ(bpf.GetValue(7.0f), 20.0f);
    EXPECT_EQ(bpf.GetValue(2.0f), 20.0f);
    EXPECT_EQ(bpf.GetValue(0.0f), 0.0f);
}

TEST_F(BPFTest, FirstLookupAboveTheLastPointClampsForEveryType) {
    for (int type = EInterpolation::eStep; type <= EInterpolation::ePolynomialn; ++type) {
        BPF bpf = Zigzag(5);
        bpf.SetValue(4, 7.0f);
        if (type == EInterpolation::eSpline)
            bpf.UpdateSplineTable();
        EXPECT_EQ(bpf.GetValue(4.5f, EInterpolation(type)), 7.0f) << type;
    }
}

TEST_F(BPFTest, LookupOrderDoesNotChangeTheResult) {
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> gap(0.1f, 2.0f);
    std::uniform_real_distribution<float> value(-5.0f, 5.0f);
    BPF bpf;
    float x = 0;
    for (int i = 0; i < 100; ++i) {
        bpf.Insert(x, value(rng));
        x += gap(rng);
    }
    std::vector<float> probes;
    for (int i = 0; i <= 1000; ++i)
        probes.push_back(-10.0f + (x + 20.0f) * static_cast<float>(i) / 1000.0f);
    std::vector<float> fresh;
    for (float p : probes)
        fresh.push_back(BPF(bpf).GetValue(p)); // a copy starts without a remembered position

    for (int i = 0; i < static_cast<int>(probes.size()); ++i)
        ASSERT_EQ(bpf.GetValue(probes[i]), fresh[i]) << "forward " << probes[i];
    for (int i = static_cast<int>(probes.size()) - 1; i >= 0; --i)
        ASSERT_EQ(bpf.GetValue(probes[i]), fresh[i]) << "backward " << probes[i];
    std::uniform_int_distribution<int> pick(0, static_cast<int>(probes.size()) - 1);
    for (int n = 0; n < 2000; ++n) {
        const int i = pick(rng);
        ASSERT_EQ(bpf.GetValue(probes[i]), fresh[i]) << "random " << probes[i];
    }
}

TEST_F(BPFTest, InsertKeepsThePointsSortedAndReplacesEqualAbscissae) {
    BPF bpf = Make({{0, 0}, {1, 10}, {2, 20}});
    EXPECT_EQ(bpf.Insert(1.0f, 5.0f), 1);
    EXPECT_EQ(bpf.Size(), 3);
    EXPECT_EQ(bpf.GetValueFromIndex(1), 5.0f);
    EXPECT_EQ(bpf.Insert(-1.0f, 3.0f), 0);
    EXPECT_EQ(bpf.Insert(0.5f, 7.0f), 2);
    EXPECT_EQ(bpf.Insert(DSP::PointTmpl<float, float>(9.0f, 1.0f)), 5);
    EXPECT_EQ(bpf.Insert(-1.0f, 4.0f), 0); // the first point is replaced too
    EXPECT_EQ(bpf.Insert(9.0f, 2.0f), 5);  // and the last
    EXPECT_EQ(Xs(bpf), (std::vector<float>{-1, 0, 0.5f, 1, 2, 9}));
    EXPECT_EQ(bpf.GetValueFromIndex(0), 4.0f);
    EXPECT_EQ(bpf.GetValueFromIndex(5), 2.0f);
    EXPECT_EQ(bpf.GetPosition(0.7f), 2);
    EXPECT_EQ(bpf.GetPosition(-5.0f), -1);
    EXPECT_EQ(bpf.GetPosition(9.0f), -1); // at or above the last point is outside
}

TEST_F(BPFTest, DeletesByIndexAndByAbscissa) {
    BPF bpf = Zigzag(8);
    bpf.DeleteIndex(0);
    EXPECT_EQ(Xs(bpf), (std::vector<float>{1, 2, 3, 4, 5, 6, 7}));
    bpf.DeleteBetweenIndex(1, 2);
    EXPECT_EQ(Xs(bpf), (std::vector<float>{1, 4, 5, 6, 7}));
    bpf.DeleteThroughXValue(4.5f); // the point at or below 4.5
    EXPECT_EQ(Xs(bpf), (std::vector<float>{1, 5, 6, 7}));
    bpf.DeleteBetweenXValues(5.0f, 6.9f);
    EXPECT_EQ(Xs(bpf), (std::vector<float>{1, 7}));

    EXPECT_DSP_ASSERT(bpf.DeleteIndex(2), "Array::DeleteElem: Index out of range");
    EXPECT_DSP_ASSERT(bpf.DeleteBetweenIndex(0, 2), "Array::DeleteElem: Index out of range");
    EXPECT_DSP_ASSERT(bpf.DeleteThroughXValue(0.0f), "Array::DeleteElem: Index out of range");
    EXPECT_EQ(Xs(bpf), (std::vector<float>{1, 7}));
}

TEST_F(BPFTest, SetIntpTypeSetsTheOrderOrRefuses) {
    BPF bpf = Zigzag(11);
    EXPECT_DSP_ASSERT(bpf.SetIntpType(EInterpolation(EInterpolation::ePolynomialn)),
                      "BPF::SetIntpType:Cannot ser more than 10th order interpolation");
    EXPECT_EQ(bpf.GetInterpolation().GetValue(), EInterpolation::eLinear); // unchanged
    EXPECT_EQ(bpf.GetValue(2.5f), 0.5f);

    // "Step" and "Round" are refused as the BPF's own type but stay stored.
    EXPECT_DSP_ASSERT(bpf.SetIntpType(EInterpolation(EInterpolation::eRound)),
                      "Unsupported interpolation method");
    EXPECT_EQ(bpf.GetInterpolation().GetValue(), EInterpolation::eRound);
    EXPECT_EQ(bpf.GetValue(2.6f), 1.0f);
}

TEST_F(BPFTest, StepHoldsAndRoundTakesTheNearerPoint) {
    BPF bpf = Make({{0, 0}, {1, 10}, {2, 20}, {4, 0}});
    const EInterpolation step(EInterpolation::eStep);
    const EInterpolation round(EInterpolation::eRound);
    EXPECT_EQ(bpf.GetValue(0.4f, step), 0.0f);
    EXPECT_EQ(bpf.GetValue(0.6f, step), 0.0f);
    EXPECT_EQ(bpf.GetValue(3.9f, step), 20.0f);
    EXPECT_EQ(bpf.GetValue(0.4f, round), 0.0f);
    EXPECT_EQ(bpf.GetValue(0.6f, round), 10.0f);
    EXPECT_EQ(bpf.GetValue(2.9f, round), 20.0f);
    EXPECT_EQ(bpf.GetValue(3.1f, round), 0.0f);
    EXPECT_EQ(bpf.GetValue(3.0f, round), 0.0f); // half way rounds up
}

// Hand-computed Lagrange values; a tolerance of 1e-6 covers a few single-precision roundings
// (divisions by 3 and 5 in the tableau) on values of order one.
TEST_F(BPFTest, PolynomialsUseTheClosestPointsAroundX) {
    struct Case {
        int type;
        int points;
        float x;
        float expected;
    };
    const Case cases[] = {
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
    for (const Case& c : cases) {
        BPF bpf = Zigzag(c.points);
        bpf.SetIntpType(EInterpolation(c.type));
        EXPECT_NEAR(bpf.GetValue(c.x), c.expected, 1e-6)
            << EInterpolation(c.type).GetString() << " on " << c.points << " at " << c.x;
        EXPECT_NEAR(BPF(bpf).GetValue(c.x), c.expected, 1e-6) << "copy";
    }
}

TEST_F(BPFTest, PolynomialFailuresNameTheirCause) {
    BPF three = Zigzag(3);
    three.SetIntpType(EInterpolation(EInterpolation::ePolynomial3));
    EXPECT_DSP_ASSERT(three.GetValue(0.5f),
                      "BPF size must be at least the interpolation order plus one");

    BPF nth = Zigzag(6);
    nth.SetIntpType(EInterpolation(EInterpolation::ePolynomialn));
    nth.DeleteIndex(5);
    EXPECT_DSP_ASSERT(nth.GetValue(0.5f),
                      "BPF size must be at least the interpolation order plus one");

    BPF twin = Make({{0, 0}, {1, 1}, {2, 2}, {3, 3}});
    twin.SetXValue(2, 1.0f); // two points at x = 1
    twin.SetIntpType(EInterpolation(EInterpolation::ePolynomial2));
    EXPECT_DSP_ASSERT(twin.GetValue(1.5f), "Division by zero error interpolating BPF");

    EXPECT_DSP_ASSERT(twin.GetValue(0.5f, EInterpolation(42)), "Invalid BPF interpolation method.");
    EXPECT_DSP_ASSERT(BPF().GetValue(1.0f), "BPF::GetValue: the BPF has no points");
}

TEST_F(BPFTest, NaturalSplineMatchesTheHandComputedCurve) {
    // Through (0,0), (1,1), (2,0) with free ends the second derivatives are 0, -3, 0, and the
    // midpoints lie at 1/2 + 3 (1/8 - 1/2) / 6 ... = 0.6875 exactly.
    BPF bpf = Make({{0, 0}, {1, 1}, {2, 0}});
    bpf.SetIntpType(EInterpolation(EInterpolation::eSpline));
    bpf.UpdateSplineTable();
    EXPECT_EQ(bpf.GetValue(0.5f), 0.6875f);
    EXPECT_EQ(bpf.GetValue(1.5f), 0.6875f);
    EXPECT_EQ(bpf.GetValue(1.0f), 1.0f);
}

TEST_F(BPFTest, SplineHonoursAndForgetsEndDerivatives) {
    // Zero slopes at both ends: on [0, 1] the curve is 3x^2 - 2x^3. Tolerance: the sweep
    // divides by 1.75 and 0.857, a few single-precision roundings of values below 10.
    BPF bpf = Make({{0, 0}, {1, 1}, {2, 0}});
    bpf.SetIntpType(EInterpolation(EInterpolation::eSpline));
    bpf.SetLeftDerivative(0.0f);
    bpf.SetRightDerivative(0.0f);
    bpf.UpdateSplineTable();
    EXPECT_NEAR(bpf.GetValue(0.25f), 0.15625f, 1e-6);
    EXPECT_NEAR(bpf.GetValue(0.5f), 0.5f, 1e-6);
    EXPECT_NEAR(bpf.GetValue(1.75f), 0.15625f, 1e-6);

    BPF copy(bpf);
    copy.SetValue(1, 1.0f);
    copy.UpdateSplineTable(); // rebuilt with the copied end conditions
    EXPECT_NEAR(copy.GetValue(0.25f), 0.15625f, 1e-6);

    bpf.UnsetLeftDerivative();
    bpf.UnsetRightDerivative();
    bpf.UpdateSplineTable();
    EXPECT_EQ(bpf.GetValue(0.5f), 0.6875f);
}

TEST_F(BPFTest, ClampedSplineReproducesACubic) {
    // A cubic spline with the true end slopes is the cubic itself, whatever the spacing.
    auto f = [](double x) { return ((x - 2.0) * x + 0.5) * x + 1.0; };
    auto slope = [](double x) { return (3.0 * x - 4.0) * x + 0.5; };
    const float xs[] = {0.0f, 0.3f, 0.5f, 1.2f, 1.3f, 2.0f, 2.25f, 3.0f};
    BPF bpf;
    for (float x : xs)
        bpf.Insert(x, static_cast<float>(f(x)));
    bpf.SetIntpType(EInterpolation(EInterpolation::eSpline));
    bpf.SetLeftDerivative(static_cast<float>(slope(0.0)));
    bpf.SetRightDerivative(static_cast<float>(slope(3.0)));
    bpf.UpdateSplineTable();
    for (int i = 0; i <= 300; ++i) {
        const float x = 0.01f * static_cast<float>(i);
        // Single-precision sweep and evaluation on values of order one (an ulp is 1.2e-7):
        // measured 9.7e-7; 5e-6 leaves room for a few more roundings, not for a wrong table.
        ASSERT_NEAR(bpf.GetValue(x), f(x), 5e-6) << x;
    }
}

TEST_F(BPFTest, EveryEditMakesTheSplineTableStale) {
    const std::vector<std::pair<const char*, std::function<void(BPF&)>>> edits = {
        {"Insert", [](BPF& b) { b.Insert(5.0f, 1.0f); }},
        {"SetValue", [](BPF& b) { b.SetValue(1, 2.0f); }},
        {"SetXValue", [](BPF& b) { b.SetXValue(3, 3.5f); }},
        {"DeleteIndex", [](BPF& b) { b.DeleteIndex(3); }},
        {"DeleteBetweenIndex", [](BPF& b) { b.DeleteBetweenIndex(2, 3); }},
        {"DeleteThroughXValue", [](BPF& b) { b.DeleteThroughXValue(2.0f); }},
        {"DeleteBetweenXValues", [](BPF& b) { b.DeleteBetweenXValues(1.0f, 2.0f); }},
        {"SetLeftDerivative", [](BPF& b) { b.SetLeftDerivative(1.0f); }},
        {"SetRightDerivative", [](BPF& b) { b.SetRightDerivative(1.0f); }},
        {"SetSize", [](BPF& b) { b.SetSize(3); }},
        {"Resize", [](BPF& b) { b.Resize(2); }},
        {"Init", [](BPF& b) { b.Init(); }},
        {"ConvertToBPF",
         [](BPF& b) { DSP::ConvertToBPF(b, 0.0f, 1.0f, DSP::Array<float>(b.Size())); }},
    };
    for (const auto& edit : edits) {
        BPF bpf = Zigzag(4);
        bpf.SetIntpType(EInterpolation(EInterpolation::eSpline));
        bpf.UpdateSplineTable();
        EXPECT_NO_THROW(bpf.GetValue(0.5f)) << edit.first;
        edit.second(bpf);
        SCOPED_TRACE(edit.first);
        EXPECT_DSP_ASSERT(bpf.GetValue(0.5f), "BPF::Spline table not updated");
    }
    // Unsetting a derivative that was never set changes nothing.
    BPF bpf = Zigzag(4);
    bpf.SetIntpType(EInterpolation(EInterpolation::eSpline));
    bpf.UpdateSplineTable();
    bpf.UnsetLeftDerivative();
    bpf.UnsetRightDerivative();
    EXPECT_NO_THROW(bpf.GetValue(0.5f));
}

TEST_F(BPFTest, SplineFailuresNameTheirCause) {
    BPF bpf = Make({{0, 0}, {1, 1}});
    EXPECT_DSP_ASSERT(bpf.CreateSplineTable(), "BPF size too small for spline");
    EXPECT_DSP_ASSERT(bpf.UpdateSplineTable(), "BPF size too small for spline");
    EXPECT_DSP_ASSERT(bpf.GetValue(0.5f, EInterpolation(EInterpolation::eSpline)),
                      "BPF::Spline table not updated");

    // Points put out of order through SetXValue: the spline's bracket has zero width.
    BPF unsorted(4, EInterpolation(EInterpolation::eSpline));
    unsorted.SetXValue(0, 1.0f);
    unsorted.UpdateSplineTable();
    EXPECT_DSP_ASSERT(unsorted.GetValue(0.5f), "Error interpolating Spline");
}

TEST_F(BPFTest, CopiesAreIndependent) {
    BPF a = Make({{0, 0}, {1, 10}, {2, 20}});
    BPF b;
    b = a;
    b.SetValue(1, 0.0f);
    EXPECT_EQ(a.GetValue(0.5f), 5.0f);
    EXPECT_EQ(b.GetValue(0.5f), 0.0f);
    std::unique_ptr<BPF> deep(a.DeepCopy());
    a.Insert(0.5f, 100.0f);
    EXPECT_EQ(deep->Size(), 3);
    EXPECT_EQ(deep->GetValue(0.5f), 5.0f);
    std::unique_ptr<BPF> species(a.Species());
    EXPECT_EQ(species->Size(), 0);
}

TEST_F(BPFTest, ConvertToBPFLaysTheArrayOutEvenly) {
    DSP::Array<float> values(4);
    for (int i = 0; i < 4; ++i)
        values[i] = static_cast<float>(i * i);
    BPF bpf(4);
    DSP::ConvertToBPF(bpf, 0, 10, values);
    EXPECT_EQ(Xs(bpf), (std::vector<float>{0, 10, 20, 30}));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(bpf.GetValueFromIndex(i), static_cast<float>(i * i));
    EXPECT_EQ(bpf.GetValue(15.0f), 2.5f);

    // The abscissae are accumulated, so they carry the sum's rounding.
    BPF tenths(11);
    DSP::ConvertToBPF(tenths, 0.0f, 0.1f, DSP::Array<float>(11));
    float x = 0.0f;
    for (int i = 0; i < 10; ++i)
        x += 0.1f;
    EXPECT_EQ(tenths.GetXValue(10), x);
}

TEST_F(BPFTest, ConvertToBPFRefusesEmptyOrMismatchedArrays) {
    BPF bpf = Make({{0, 1}, {1, 2}});
    EXPECT_DSP_ASSERT(DSP::ConvertToBPF(bpf, 0, 1, DSP::Array<float>()),
                      "ArrayToBPFCnv::ConvertToBPF(): Array to be converted into a BPF must have a "
                      "positive non-zero length!");
    EXPECT_DSP_ASSERT(DSP::ConvertToBPF(bpf, 0, 1, DSP::Array<float>(3)),
                      "Different array dimensions on write");
    EXPECT_EQ(bpf.GetValue(0.5f), 1.5f);
}
