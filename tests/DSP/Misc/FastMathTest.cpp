#include "DSP/Misc/FastMath.hpp"
#include "DSP/Misc/PhaseWrap.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

std::uint32_t Bits(float x) {
    std::uint32_t u;
    std::memcpy(&u, &x, sizeof u);
    return u;
}

const double kPi = 3.14159265358979323846;
const float kInf = std::numeric_limits<float>::infinity();
const float kNaN = std::numeric_limits<float>::quiet_NaN();

} // namespace

TEST(FastMath, DocumentedValuesAndEdges) {
    EXPECT_EQ(DSP_pow(3.0f, 2.0f), 9.0000057f);
    EXPECT_EQ(DSP_pow(10.0f, 0.5f), 3.1622679f);
    EXPECT_EQ(DSP_pow(2.0f, 3.0f), 8.0f);
    for (float x : {0.0f, -2.0f, 1e-30f, 7.0f, 1e30f})
        EXPECT_EQ(DSP_pow(x, 0.0f), 1.0f) << x;
    for (float x : {0.0f, -0.0f, -3.0f}) // non-positive bases give 0 for a positive exponent
        EXPECT_EQ(DSP_pow(x, 2.0f), 0.0f) << x;
    EXPECT_EQ(DSP_log2(-5.0f), -1e8f);
    EXPECT_EQ(DSP_atan2(0.0f, 0.0f), 0.0f);
    EXPECT_EQ(DSP_atan2(0.0f, -1.0f), -3.1415927f); // y = 0 is not above 0
    EXPECT_EQ(DSP_atan2(1.0f, 0.0f), 1.5707964f);
    EXPECT_EQ(DSP_atan2(0.0f, 1.0f), 0.0f);
    // atan(2) = pi/2 + atan(-0.5), evaluated as exactly that sum.
    EXPECT_EQ(DSP_atan(2.0f), 1.5707964f + DSP_atan(-0.5f));
    EXPECT_EQ(frequency(12.0f), 2.0f);
    EXPECT_EQ(frequency(-12.0f), 0.5f);
    EXPECT_EQ(frequency(1.0f), 1.0594631f);
}

// Bit patterns computed by an independent model of the algorithms (every step rounded to
// single precision by hand), so they pin constants, precision and order of evaluation.
TEST(FastMath, ReproducesIndependentlyComputedBitPatterns) {
    const struct {
        const char* call;
        float value;
        std::uint32_t bits;
    } table[] = {
        {"DSP_pow(10, -0.3)", DSP_pow(10.0f, -0.3f), 0x3f004dca},
        {"DSP_pow(0.06, 1.5)", DSP_pow(0.06f, 1.5f), 0x3c70cbb4},
        {"DSP_pow(1.0594630241394043, 7)", DSP_pow(1.0594630241394043f, 7.0f), 0x3fbfc7fb},
        {"DSP_log2(10)", DSP_log2(10.0f), 0x40549a7a},
        {"DSP_log2(0.0001)", DSP_log2(0.0001f), 0xc1549a76},
        {"DSP_log2(1.5)", DSP_log2(1.5f), 0x3f15c025},
        {"DSP_pow2(0.5)", DSP_pow2(0.5f), 0x3fb504e8},
        {"DSP_pow2(127.99)", DSP_pow2(127.99f), 0x7f7e3b45},
        // Just below an integer: the floor must be taken in double precision.
        {"DSP_pow2(-3.0000002)", DSP_pow2(-3.0000002f), 0x3dfffffe},
        {"DSP_sqrt(25)", DSP_sqrt(25.0f), 0x409fffa2},
        {"DSP_sqrt(3)", DSP_sqrt(3.0f), 0x3fddb399},
        {"DSP_sqrt(0.3)", DSP_sqrt(0.3f), 0x3f0c37b7},
        {"DSP_sqrt(1e-6)", DSP_sqrt(1e-6f), 0x3a831216},
        {"DSP_sqrt(1e10)", DSP_sqrt(1e10f), 0x47c35000},
        {"DSP_sin(1)", DSP_sin(1.0f), 0x3f576ae1},
        {"DSP_cos(1)", DSP_cos(1.0f), 0x3f0a5141},
        {"DSP_sin(-2.5)", DSP_sin(-2.5f), 0xbf19396d},
        {"DSP_cos(-2.5)", DSP_cos(-2.5f), 0xbf4d17c4},
        {"DSP_sin(100)", DSP_sin(100.0f), 0xbf01a165},
        // Here v / 2 + 1024.5 rounds up in single precision: the sine must add in double.
        {"DSP_sin(3.1415)", DSP_sin(3.1415f), 0x38c3fe84},
        {"DSP_cos(100)", DSP_cos(100.0f), 0x3f5cc0db},
        {"DSP_atan(1)", DSP_atan(1.0f), 0x3f490fda},
        {"DSP_atan(2)", DSP_atan(2.0f), 0x3f8db71a},
        {"DSP_atan(-3)", DSP_atan(-3.0f), 0xbf9fe099},
        {"DSP_atan(0.25)", DSP_atan(0.25f), 0x3e7adc97},
        {"DSP_atan2(1, 1)", DSP_atan2(1.0f, 1.0f), 0x3f490fda},
        {"DSP_atan2(-1, -1)", DSP_atan2(-1.0f, -1.0f), 0xc016cbe4},
        {"DSP_atan2(2, -1)", DSP_atan2(2.0f, -1.0f), 0x4002344e},
        {"DSP_atan2(-0.5, 2)", DSP_atan2(-0.5f, 2.0f), 0xbe7adc97},
        {"DSP_atan2(-1, 0)", DSP_atan2(-1.0f, 0.0f), 0xbfc90fdb},
    };
    for (const auto& p : table)
        EXPECT_EQ(Bits(p.value), p.bits) << p.call << " gave " << p.value;
}

TEST(FastMath, PowersOfTwoAreExactAndTheExponentRangeEndsInZeroOrInfinity) {
    for (int k = -10; k <= 10; ++k) {
        for (int y = -12; y <= 12; ++y)
            EXPECT_EQ(DSP_pow(std::ldexp(1.0f, k), float(y)), std::ldexp(1.0f, k * y)) << k << y;
        EXPECT_EQ(DSP_sqrt(std::ldexp(1.0f, 2 * k)), std::ldexp(1.0f, k)) << k;
    }
    EXPECT_EQ(DSP_pow(2.0f, -126.0f), std::numeric_limits<float>::min());
    // From -127 on the exponent field would be zero: the result is exactly 0, never a denormal.
    for (float v : {-127.0f, -126.5f, -1000.0f, kNaN})
        EXPECT_EQ(DSP_pow2(v), 0.0f) << v;
    // From 128 on the exponent would wrap into the sign bit: the result is infinity.
    EXPECT_EQ(DSP_pow(2.0f, 127.0f), std::ldexp(1.0f, 127));
    for (float v : {128.0f, 332.0f, 1e30f})
        EXPECT_EQ(DSP_pow2(v), kInf) << v;
    for (float s : {0.0f, -4.0f, kNaN})
        EXPECT_EQ(DSP_sqrt(s), 0.0f) << s;
}

TEST(FastMath, StaysWithinTheFitErrorOfTheExactFunctions) {
    const struct {
        const char* name;
        float (*fast)(float);
        double (*exact)(double);
        double lo, hi;
        bool logSpaced, relative;
        double tol;
    } fits[] = {
        // The sixth-order logarithm fit is good to 3.3e-6 (absolute) over the whole mantissa.
        {"log2", DSP_log2, [](double x) { return std::log2(x); }, -6, 6, true, false, 4e-6},
        // The fourth-order 2^r fit is good to 3.5e-6 relative.
        {"pow2", DSP_pow2, [](double x) { return std::exp2(x); }, -20, 20, false, true, 4e-6},
        // The fourth-order mantissa fit of the root is good to 1.1e-5 relative.
        {"sqrt", DSP_sqrt, [](double x) { return std::sqrt(x); }, -20, 20, true, true, 1.2e-5},
        // The ninth-order sine fit deviates by up to 6.6e-5; the half-angle cosine by 1.1e-6.
        {"sin", DSP_sin, [](double x) { return std::sin(x); }, -4 * kPi, 4 * kPi, false, false,
         7e-5},
        {"cos", DSP_cos, [](double x) { return std::cos(x); }, -4 * kPi, 4 * kPi, false, false,
         1.5e-6},
        // The rational arc tangent fit on |t| <= 1 is good to 4.4e-6; the angle of a point
        // adds the rounding of the pi offsets and of the point itself.
        {"atan", DSP_atan, [](double x) { return std::atan(x); }, -100, 100, false, false, 5e-6},
        {"atan2", [](float t) { return DSP_atan2(std::sin(t), std::cos(t)); },
         [](double t) { return t; }, -3.14159, 3.14159, false, false, 5e-6},
    };
    for (const auto& f : fits) {
        for (int i = 0; i <= 20000; ++i) {
            const double t = f.lo + (f.hi - f.lo) * i / 20000;
            const float x = static_cast<float>(f.logSpaced ? std::pow(10.0, t) : t);
            const double exact = f.exact(x), fast = f.fast(x);
            ASSERT_NEAR(f.relative ? fast / exact : fast - exact, f.relative ? 1 : 0, f.tol)
                << f.name << "(" << x << ")";
        }
    }
    // Beyond |a / pi| = 2048 the argument itself carries the rounding of a / pi in single
    // precision (half an ulp of 1e5 / pi is 2e-3 / 2, times pi): 8e-3 covers that and the fit.
    for (float a : {-7000.0f, -1e4f, -1e5f, 1e5f}) {
        EXPECT_NEAR(DSP_sin(a), std::sin(static_cast<double>(a)), 8e-3) << a;
        EXPECT_NEAR(DSP_cos(a), std::cos(static_cast<double>(a)), 8e-3) << a;
    }
}

TEST(FastMath, WrapPhaseRemovesWholeTurns) {
    // The inputs themselves are rounded to single precision: near 45 rad one step is 3.8e-6.
    EXPECT_NEAR(DSP::WrapPhase(7.f * DSP::kTwoPi + 1.f), 1.f, 4e-6f);
    EXPECT_EQ(DSP::WrapPhase(DSP::kTwoPi), 0.f);
    for (float phase = -100.f; phase < 100.f; phase += 0.37f) {
        const float wrapped = DSP::WrapPhase(phase);
        ASSERT_TRUE(wrapped >= 0.f && wrapped <= DSP::kTwoPi) << phase;
        // Whole turns only: the rounding of 16 turns is 1.5e-5.
        ASSERT_NEAR(std::remainder(wrapped - phase, DSP::kTwoPi), 0.f, 2e-5f) << phase;
    }
}
