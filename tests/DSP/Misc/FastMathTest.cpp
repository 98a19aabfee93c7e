#include "DSP/Misc/FastMath.hpp"

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

float FromBits(std::uint32_t u) {
    float x;
    std::memcpy(&x, &u, sizeof x);
    return x;
}

struct Pinned {
    const char* call;
    float value;
    std::uint32_t bits;
};

void ExpectPinned(const Pinned& p) {
    EXPECT_EQ(Bits(p.value), p.bits)
        << p.call << " gave " << p.value << ", expected " << FromBits(p.bits);
}

const double kPi = 3.14159265358979323846;

} // namespace

TEST(FastPow, MatchesTheDocumentedValues) {
    EXPECT_EQ(DSP_pow(3.0f, 2.0f), 9.0000057f);
    EXPECT_EQ(DSP_pow(10.0f, 0.5f), 3.1622679f);
    EXPECT_EQ(DSP_pow(2.0f, 3.0f), 8.0f);
    EXPECT_EQ(DSP_pow(0.0f, 2.0f), 0.0f);
    for (float x : {0.0f, -2.0f, 1e-30f, 0.5f, 7.0f, 1e30f})
        EXPECT_EQ(DSP_pow(x, 0.0f), 1.0f) << x;
}

// Bit patterns computed by an independent model of the algorithms (every step rounded to
// single precision by hand), so they pin constants, precision and order of evaluation.
TEST(FastMath, ReproducesIndependentlyComputedBitPatterns) {
    const Pinned table[] = {
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
    for (const Pinned& p : table)
        ExpectPinned(p);
}

TEST(FastPow, PowersOfTwoToIntegerExponentsAreExact) {
    for (int k = -10; k <= 10; ++k)
        for (int y = -12; y <= 12; ++y)
            EXPECT_EQ(DSP_pow(std::ldexp(1.0f, k), static_cast<float>(y)), std::ldexp(1.0f, k * y))
                << "2^" << k << " to the " << y;
}

TEST(FastPow, UnderflowsToExactZeroBelowTheSmallestNormal) {
    EXPECT_EQ(DSP_pow(2.0f, -126.0f), std::numeric_limits<float>::min());
    // From -127 on the exponent field would be zero: the result is exactly 0, never a denormal.
    EXPECT_EQ(DSP_pow(2.0f, -127.0f), 0.0f);
    EXPECT_EQ(DSP_pow(0.5f, 200.0f), 0.0f);
    EXPECT_EQ(DSP_pow(1e-20f, 3.0f), 0.0f);
    EXPECT_EQ(DSP_pow2(-126.5f), 0.0f);
    EXPECT_EQ(DSP_pow2(std::numeric_limits<float>::quiet_NaN()), 0.0f);
}

TEST(FastPow, NonPositiveBaseGivesZeroForPositiveExponent) {
    EXPECT_EQ(DSP_pow(-3.0f, 2.0f), 0.0f);
    EXPECT_EQ(DSP_pow(-0.0f, 0.5f), 0.0f);
    EXPECT_EQ(DSP_log2(0.0f), -1e8f);
    EXPECT_EQ(DSP_log2(-5.0f), -1e8f);
}

TEST(FastPow, OverflowGivesInfinityInsteadOfAWrappedExponent) {
    EXPECT_EQ(DSP_pow(2.0f, 127.0f), std::ldexp(1.0f, 127));
    EXPECT_EQ(DSP_pow(2.0f, 128.0f), std::numeric_limits<float>::infinity());
    EXPECT_EQ(DSP_pow(10.0f, 100.0f), std::numeric_limits<float>::infinity());
    EXPECT_EQ(DSP_pow2(1e30f), std::numeric_limits<float>::infinity());
}

TEST(FastPow, StaysWithinThePolynomialErrorOfTheExactFunctions) {
    // The sixth-order logarithm fit is good to 3.3e-6 (absolute) over the whole mantissa.
    for (int i = 0; i <= 20000; ++i) {
        const float x = static_cast<float>(std::pow(10.0, -6.0 + 12.0 * i / 20000));
        ASSERT_NEAR(DSP_log2(x), std::log2(static_cast<double>(x)), 4e-6) << x;
    }
    // The fourth-order 2^r fit is good to 3.5e-6 relative.
    for (int i = 0; i <= 20000; ++i) {
        const float v = -20.0f + 40.0f * static_cast<float>(i) / 20000.0f;
        ASSERT_NEAR(DSP_pow2(v) / std::exp2(static_cast<double>(v)), 1.0, 4e-6) << v;
    }
    // x^y: the logarithm's error scaled by |y| ln 2 (<= 3 * 0.69 * 3.3e-6) plus the 2^r error.
    for (int i = 0; i <= 200; ++i) {
        for (int j = 0; j <= 200; ++j) {
            const float x = static_cast<float>(std::pow(10.0, -2.0 + 4.0 * i / 200));
            const float y = -3.0f + 6.0f * static_cast<float>(j) / 200.0f;
            const double exact = std::pow(static_cast<double>(x), static_cast<double>(y));
            ASSERT_NEAR(DSP_pow(x, y) / exact, 1.0, 1.2e-5) << x << "^" << y;
        }
    }
}

TEST(FastSqrt, IsExactOnPowersOfTwoAndZeroForNonPositive) {
    for (int k = -60; k <= 60; ++k) {
        EXPECT_EQ(DSP_sqrt(std::ldexp(1.0f, 2 * k)), std::ldexp(1.0f, k)) << k;
        EXPECT_EQ(DSP_sqrt(std::ldexp(1.0f, 2 * k + 1)), std::ldexp(1.4142135381698608f, k)) << k;
    }
    EXPECT_EQ(DSP_sqrt(0.0f), 0.0f);
    EXPECT_EQ(DSP_sqrt(-4.0f), 0.0f);
    EXPECT_EQ(DSP_sqrt(std::numeric_limits<float>::quiet_NaN()), 0.0f);
}

TEST(FastSqrt, StaysWithinThePolynomialErrorOfTheExactRoot) {
    // The fourth-order mantissa fit is good to 1.1e-5 relative.
    for (int i = 0; i <= 20000; ++i) {
        const float s = static_cast<float>(std::pow(10.0, -20.0 + 40.0 * i / 20000));
        ASSERT_NEAR(DSP_sqrt(s) / std::sqrt(static_cast<double>(s)), 1.0, 1.2e-5) << s;
    }
}

TEST(FastSinCos, HitTheCardinalPointsExactly) {
    EXPECT_EQ(DSP_sin(0.0f), 0.0f);
    EXPECT_EQ(DSP_cos(0.0f), 1.0f);
    EXPECT_EQ(DSP_sin(1.5707964f), 1.0f);
    EXPECT_EQ(DSP_cos(3.1415927f), -1.0f);
    EXPECT_EQ(DSP_cos(-3.1415927f), -1.0f);
}

TEST(FastSinCos, StayWithinThePolynomialErrorOverSeveralPeriods) {
    for (int i = 0; i <= 40000; ++i) {
        const float a = static_cast<float>(-4.0 * kPi + 8.0 * kPi * i / 40000);
        // The ninth-order sine fit deviates by up to 6.6e-5; the half-angle cosine by 1.1e-6.
        ASSERT_NEAR(DSP_sin(a), std::sin(static_cast<double>(a)), 7e-5) << a;
        ASSERT_NEAR(DSP_cos(a), std::cos(static_cast<double>(a)), 1.5e-6) << a;
    }
}

TEST(FastSinCos, LargeNegativeAnglesAreStillReducedToOnePeriod) {
    // Beyond |a / pi| = 2048 the argument itself carries the rounding of a / pi in single
    // precision (half an ulp of 1e5 / pi is 2e-3 / 2, times pi): 8e-3 covers that and the fit.
    for (float a : {-7000.0f, -1e4f, -1e5f, 1e5f}) {
        EXPECT_NEAR(DSP_sin(a), std::sin(static_cast<double>(a)), 8e-3) << a;
        EXPECT_NEAR(DSP_cos(a), std::cos(static_cast<double>(a)), 8e-3) << a;
    }
}

TEST(FastAtan, TakesTheDocumentedBranches) {
    // atan(1) stays on the inner branch (t = 1, no offset; its bits are pinned above) and
    // joins the outer one: both carry the fit error (4.4e-6), the step across is no larger.
    EXPECT_NEAR(DSP_atan(1.0f), DSP_atan(std::nextafter(1.0f, 2.0f)), 5e-6);
    // atan(2) = pi/2 + atan(-0.5), evaluated as exactly that sum.
    EXPECT_EQ(DSP_atan(2.0f), 1.5707964f + DSP_atan(-0.5f));
    EXPECT_EQ(DSP_atan(-2.0f), -1.5707964f + DSP_atan(0.5f));
}

TEST(FastAtan, IsOddAndWithinItsFitError) {
    for (int i = 0; i <= 40000; ++i) {
        const float x = -100.0f + 200.0f * static_cast<float>(i) / 40000.0f;
        ASSERT_EQ(DSP_atan(-x), -DSP_atan(x)) << x;
        // The rational fit on |t| <= 1 is good to 4.4e-6.
        ASSERT_NEAR(DSP_atan(x), std::atan(static_cast<double>(x)), 5e-6) << x;
    }
}

TEST(FastAtan2, HandlesTheAxesAsDocumented) {
    EXPECT_EQ(DSP_atan2(0.0f, 0.0f), 0.0f);
    EXPECT_EQ(DSP_atan2(-0.0f, 0.0f), 0.0f);
    EXPECT_EQ(DSP_atan2(0.0f, -1.0f), -3.1415927f); // y = 0 is not above 0
    EXPECT_EQ(DSP_atan2(1.0f, 0.0f), 1.5707964f);
    EXPECT_EQ(DSP_atan2(-1.0f, 0.0f), -1.5707964f);
    EXPECT_EQ(DSP_atan2(0.0f, 1.0f), 0.0f);
}

TEST(FastAtan2, FollowsTheExactAngleAroundTheCircle) {
    for (double radius : {1e-3, 1.0, 1e3}) {
        for (int i = 0; i < 36000; ++i) {
            const double t = 2.0 * kPi * i / 36000;
            const float y = static_cast<float>(radius * std::sin(t));
            const float x = static_cast<float>(radius * std::cos(t));
            const float angle = DSP_atan2(y, x);
            ASSERT_GE(angle, -3.1415927f);
            ASSERT_LE(angle, 3.1415927f);
            // Same rational fit as DSP_atan (4.4e-6) plus the rounding of the pi offsets; near
            // the negative real axis both -pi and pi are right answers.
            double diff = angle - std::atan2(static_cast<double>(y), static_cast<double>(x));
            if (diff > kPi)
                diff -= 2.0 * kPi;
            if (diff < -kPi)
                diff += 2.0 * kPi;
            ASSERT_NEAR(diff, 0.0, 5e-6) << "y " << y << " x " << x;
        }
    }
}

TEST(Frequency, IsTheExactSemitoneRatio) {
    EXPECT_EQ(frequency(12.0f), 2.0f);
    EXPECT_EQ(frequency(-12.0f), 0.5f);
    EXPECT_EQ(frequency(0.0f), 1.0f);
    EXPECT_EQ(frequency(24.0f), 4.0f);
    EXPECT_EQ(frequency(1.0f), 1.0594631f);
    EXPECT_EQ(frequency(7.0f), 1.4983071f);
}
