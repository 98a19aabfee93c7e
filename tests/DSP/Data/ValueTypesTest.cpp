#include "DSP/Data/Complex.hpp"
#include "DSP/Data/Point.hpp"
#include "DSP/Data/Polar.hpp"

#include <gtest/gtest.h>

#include <cmath>

using Complex = DSP::ComplexTmpl<float>;
using Polar = DSP::PolarTmpl<float>;
using Point = DSP::PointTmpl<float, float>;

namespace {
const double kPi = 3.14159265358979323846;
}

TEST(Complex, DefaultsToZeroAndAssignsARealNumber) {
    Complex c;
    EXPECT_EQ(c.Real(), 0.0f);
    EXPECT_EQ(c.Imag(), 0.0f);
    c = Complex(1.0f, 2.0f);
    c = 2.5f;
    EXPECT_EQ(c, Complex(2.5f, 0.0f));
    c.SetImag(-1.0f);
    c.SetReal(4.0f);
    EXPECT_EQ(c, Complex(4.0f, -1.0f));
    EXPECT_NE(c, Complex(4.0f, 1.0f));
}

TEST(Complex, ArithmeticFollowsTheComplexRules) {
    const Complex a(1.0f, 2.0f);
    const Complex b(3.0f, 4.0f);
    EXPECT_EQ(a + b, Complex(4.0f, 6.0f));
    EXPECT_EQ(a - b, Complex(-2.0f, -2.0f));
    EXPECT_EQ(a * b, Complex(-5.0f, 10.0f));
    EXPECT_EQ(a * 3.0f, Complex(3.0f, 6.0f));
    // (-5 + 10i) / (3 + 4i): 25 * 0.04f and 50 * 0.04f both round back to 1 and 2.
    EXPECT_EQ(Complex(-5.0f, 10.0f) / b, a);
    Complex c = a;
    c += b;
    EXPECT_EQ(c, Complex(4.0f, 6.0f));
    c -= b;
    EXPECT_EQ(c, a);
}

TEST(Complex, MagnitudeAndAngleUseTheFastApproximations) {
    const Complex c(3.0f, 4.0f);
    EXPECT_EQ(c.SquaredMag(), 25.0f);
    EXPECT_EQ(c.Mag(), DSP_sqrt(25.0f));
    EXPECT_NEAR(c.Mag(), 5.0f, 5.0f * 1.2e-5f); // the fast root is good to 1.1e-5 relative
    EXPECT_EQ(c.Ang(), DSP_atan2(4.0f, 3.0f));
    EXPECT_EQ(Complex().Mag(), 0.0f);
    EXPECT_EQ(Complex().Ang(), 0.0f);
    EXPECT_EQ(Complex(-1.0f, 0.0f).Ang(), -3.1415927f);
}

TEST(Complex, ToPolarSetsTheNumberFromMagnitudeAndAngle) {
    Complex c;
    c.ToPolar(2.0f, 1.5707964f);
    EXPECT_EQ(c.Imag(), 2.0f);                   // the fast sine of pi/2 is exactly 1
    EXPECT_NEAR(c.Real(), 0.0f, 2.0f * 1.5e-6f); // the fast cosine is good to 1.1e-6
    c.ToPolar(-3.0f, 0.0f);
    EXPECT_EQ(c, Complex(-3.0f, 0.0f));
}

TEST(Polar, DefaultsToZeroAndAssignsAMagnitude) {
    Polar p;
    EXPECT_EQ(p.Mag(), 0.0f);
    EXPECT_EQ(p.Ang(), 0.0f);
    p = Polar(1.0f, 2.0f);
    p = 3.0f;
    EXPECT_EQ(p, Polar(3.0f, 0.0f));
    p.SetAng(1.0f);
    p.SetMag(0.5f);
    EXPECT_EQ(p, Polar(0.5f, 1.0f));
    EXPECT_NE(p, Polar(0.5f, -1.0f));
}

TEST(Polar, ProductsMultiplyMagnitudesAndAddAngles) {
    const Polar a(2.0f, 0.5f);
    const Polar b(4.0f, 0.25f);
    EXPECT_EQ(a * b, Polar(8.0f, 0.75f));
    EXPECT_EQ(a / b, Polar(0.5f, 0.25f));
}

TEST(Polar, SumsGoThroughRectangularForm) {
    // 1 at angle 0 plus 1 at angle pi/2 is sqrt(2) at pi/4; the fast sine of pi/2 is exact and
    // the fast cosine there is off by at most 1.1e-6, which bounds both errors below.
    const Polar s = Polar(1.0f, 0.0f) + Polar(1.0f, 1.5707964f);
    EXPECT_NEAR(s.Mag(), std::sqrt(2.0), 2e-6);
    EXPECT_NEAR(s.Ang(), kPi / 4, 2e-6);
    // The way back is exact: the difference of equal numbers is exactly zero at angle 0.
    const Polar d = Polar(3.0f, 2.0f) - Polar(3.0f, 2.0f);
    EXPECT_EQ(d, Polar(0.0f, 0.0f));
    // A negative magnitude counts as its absolute value.
    const Polar n = Polar(-1.0f, 0.0f) + Polar(1.0f, 0.0f);
    EXPECT_EQ(n, Polar(2.0f, 0.0f));
    Polar acc(1.0f, 0.0f);
    acc += Polar(1.0f, 0.0f);
    EXPECT_EQ(acc, Polar(2.0f, 0.0f));
    acc -= Polar(2.0f, 0.0f);
    EXPECT_EQ(acc.Mag(), 0.0f);
}

TEST(Point, ComparesAbscissaeOnly) {
    const Point a(1.0f, 5.0f);
    const Point b(1.0f, 7.0f);
    const Point c(2.0f, -9.0f);
    EXPECT_TRUE(a == b);
    EXPECT_FALSE(a != b);
    EXPECT_TRUE(a < c && a <= c && a <= b && a >= b);
    EXPECT_TRUE(c > a && c >= a);
    EXPECT_FALSE(a < b || a > b);
}

TEST(Point, ArithmeticIsComponentWise) {
    Point p(1.0f, 2.0f);
    p += Point(3.0f, 4.0f);
    EXPECT_EQ(p.GetX(), 4.0f);
    EXPECT_EQ(p.GetY(), 6.0f);
    p -= Point(1.0f, 1.0f);
    EXPECT_EQ(p.GetX(), 3.0f);
    EXPECT_EQ(p.GetY(), 5.0f);
    const Point q = Point(1.0f, 1.0f) - Point(2.0f, 3.0f) + Point(0.5f, 0.0f);
    EXPECT_EQ(q.GetX(), -0.5f);
    EXPECT_EQ(q.GetY(), -2.0f);
    p.SetX(7.0f);
    p.SetY(8.0f);
    EXPECT_EQ(p.GetX(), 7.0f);
    EXPECT_EQ(p.GetY(), 8.0f);
}

TEST(Point, DistanceIsEuclidean) {
    EXPECT_EQ(Point(0.0f, 0.0f).Distance(Point(3.0f, 4.0f)), 5.0f);
    EXPECT_EQ(Point(-1.0f, 2.0f).Distance(Point(-1.0f, 2.0f)), 0.0f);
    EXPECT_EQ(Point(1.0f, 1.0f).Distance(Point(-4.0f, -11.0f)), 13.0f);
}
