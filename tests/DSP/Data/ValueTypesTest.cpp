#include "DSP/Data/Complex.hpp"
#include "DSP/Data/ComplexToPolarCnv.hpp"
#include "DSP/Data/Point.hpp"
#include "DSP/Data/Polar.hpp"

#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <utility>

using Complex = DSP::ComplexTmpl<float>;
using Polar = DSP::PolarTmpl<float>;
using Point = DSP::PointTmpl<float, float>;

namespace {
const double kPi = 3.14159265358979323846;
}

TEST(ValueTypes, ArithmeticMagnitudeAngleAndOrdering) {
    const Complex a(1.0f, 2.0f), b(3.0f, 4.0f);
    EXPECT_EQ(a * b, Complex(-5.0f, 10.0f));
    // (-5 + 10i) / (3 + 4i): 25 * 0.04f and 50 * 0.04f both round back to 1 and 2.
    EXPECT_EQ(Complex(-5.0f, 10.0f) / b, a);
    EXPECT_NEAR(b.Mag(), 5.0f, 5.0f * 1.2e-5f); // the fast root is good to 1.1e-5 relative
    EXPECT_EQ(std::make_pair(Complex().Mag(), Complex().Ang()), std::make_pair(0.0f, 0.0f));
    EXPECT_EQ(Complex(-1.0f, 0.0f).Ang(), -3.1415927f);
    Complex c;
    c.ToPolar(2.0f, 1.5707964f);
    EXPECT_EQ(c.Imag(), 2.0f);                   // the fast sine of pi/2 is exactly 1
    EXPECT_NEAR(c.Real(), 0.0f, 2.0f * 1.5e-6f); // the fast cosine is good to 1.1e-6

    EXPECT_EQ(Polar(2.0f, 0.5f) / Polar(4.0f, 0.25f), Polar(0.5f, 0.25f));
    // 1 at angle 0 plus 1 at angle pi/2 is sqrt(2) at pi/4; the fast sine of pi/2 is exact and
    // the fast cosine there is off by at most 1.1e-6, which bounds both errors below.
    const Polar s = Polar(1.0f, 0.0f) + Polar(1.0f, 1.5707964f);
    EXPECT_NEAR(s.Mag(), std::sqrt(2.0), 2e-6);
    EXPECT_NEAR(s.Ang(), kPi / 4, 2e-6);
    // A negative magnitude counts as its absolute value; equal numbers cancel exactly.
    EXPECT_EQ(Polar(-1.0f, 0.0f) + Polar(1.0f, 0.0f), Polar(2.0f, 0.0f));
    EXPECT_EQ(Polar(3.0f, 2.0f) - Polar(3.0f, 2.0f), Polar(0.0f, 0.0f));

    const Point p(1.0f, 5.0f), q(1.0f, 7.0f), r(2.0f, -9.0f); // ordered by x only
    EXPECT_TRUE(p == q && p <= q && p >= q && !(p < q) && p < r && r > p);
    EXPECT_EQ(Point(1.0f, 1.0f).Distance(Point(-4.0f, -11.0f)), 13.0f);
}

TEST(ComplexToPolarCnv, RoundTripReturnsTheSpectrumAndSizesMustMatch) {
    QuietAssertions quiet;
    DSP::ComplexToPolarCnv<float> cnv;
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> angle(-3.1415926f, 3.1415926f), decade(-3.0f, 3.0f);
    const int n = 4096;
    DSP::Array<Complex> in(n), back(n);
    for (int i = 0; i < n; ++i) {
        const double m = std::pow(10.0, decade(rng)), a = angle(rng);
        in[i] = Complex(static_cast<float>(m * std::cos(a)), static_cast<float>(m * std::sin(a)));
    }
    in[0] = Complex(-1.0f, 0.0f);
    DSP::Array<Polar> polar(n);
    cnv.ToPolar(in, polar);
    EXPECT_EQ(polar[0], Polar(1.0f, -3.1415927f)); // the negative real axis is -pi
    cnv.ToComplex(polar, back);
    for (int i = 0; i < n; ++i) {
        // Relative to the magnitude: root 1.1e-5, angle 4.5e-6 rad, cosine 1.1e-6 and the
        // ninth-order sine's 6.6e-5 add up to at most 8.3e-5.
        const float err = (back[i] - in[i]).SquaredMag();
        ASSERT_LE(std::sqrt(err), 8.5e-5f * std::sqrt(in[i].SquaredMag())) << i;
    }
    const char* message =
        "ComplexToPolarCnv::Convert: unable to convert buffers with different sizes";
    polar.SetSize(2);
    EXPECT_DSP_ASSERT(cnv.ToPolar(in, polar), message);
    EXPECT_DSP_ASSERT(cnv.ToComplex(polar, back), message);
    EXPECT_EQ(polar.Size(), 2);
    EXPECT_EQ(polar[0], Polar(1.0f, -3.1415927f));
    EXPECT_EQ(back.Size(), n);
}
