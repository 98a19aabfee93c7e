#include "DSP/Data/ComplexToPolarCnv.hpp"

#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using Complex = DSP::ComplexTmpl<float>;
using Polar = DSP::PolarTmpl<float>;

namespace {

class ComplexToPolarCnvTest : public ::testing::Test {
protected:
    QuietAssertions quiet;
    DSP::ComplexToPolarCnv<float> cnv;
};

} // namespace

TEST_F(ComplexToPolarCnvTest, ConvertsEachBinWithTheFastFunctions) {
    DSP::Array<Complex> in(4);
    in[0] = Complex(3.0f, 4.0f);
    in[1] = Complex(-1.0f, 0.0f);
    in[2] = Complex(0.0f, 0.0f);
    in[3] = Complex(0.0f, -2.0f);
    DSP::Array<Polar> out(4);
    cnv.ToPolar(in, out);
    EXPECT_EQ(out[0], Polar(DSP_sqrt(25.0f), DSP_atan2(4.0f, 3.0f)));
    EXPECT_EQ(out[1], Polar(1.0f, -3.1415927f)); // the negative real axis is -pi
    EXPECT_EQ(out[2], Polar(0.0f, 0.0f));
    EXPECT_EQ(out[3], Polar(2.0f, -1.5707964f));

    DSP::Array<Complex> back(4);
    cnv.ToComplex(out, back);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(back[i].Real(), out[i].Mag() * DSP_cos(out[i].Ang())) << i;
        EXPECT_EQ(back[i].Imag(), out[i].Mag() * DSP_sin(out[i].Ang())) << i;
    }
}

TEST_F(ComplexToPolarCnvTest, RoundTripReturnsTheComplexSpectrum) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> angle(-3.1415926f, 3.1415926f);
    std::uniform_real_distribution<float> decade(-3.0f, 3.0f);
    const int n = 4096;
    DSP::Array<Complex> in(n);
    for (int i = 0; i < n; ++i) {
        const double m = std::pow(10.0, decade(rng));
        const double a = angle(rng);
        in[i] = Complex(static_cast<float>(m * std::cos(a)), static_cast<float>(m * std::sin(a)));
    }
    DSP::Array<Polar> polar(n);
    DSP::Array<Complex> back(n);
    cnv.ToPolar(in, polar);
    cnv.ToComplex(polar, back);
    for (int i = 0; i < n; ++i) {
        // Relative to the magnitude: root 1.1e-5, angle 4.5e-6 rad, cosine 1.1e-6 and the
        // ninth-order sine's 6.6e-5 add up to at most 8.3e-5.
        const float err = (back[i] - in[i]).SquaredMag();
        ASSERT_LE(std::sqrt(err), 8.5e-5f * std::sqrt(in[i].SquaredMag())) << i;
    }
}

TEST_F(ComplexToPolarCnvTest, RefusesArraysOfDifferentSizes) {
    DSP::Array<Complex> complex(3);
    complex[0] = Complex(1.0f, 1.0f);
    DSP::Array<Polar> polar(2);
    polar[0] = Polar(5.0f, 1.0f);
    const char* message =
        "ComplexToPolarCnv::Convert: unable to convert buffers with different sizes";
    EXPECT_DSP_ASSERT(cnv.ToPolar(complex, polar), message);
    EXPECT_DSP_ASSERT(cnv.ToComplex(polar, complex), message);
    EXPECT_EQ(polar.Size(), 2);
    EXPECT_EQ(polar[0], Polar(5.0f, 1.0f));
    EXPECT_EQ(complex.Size(), 3);
    EXPECT_EQ(complex[0], Complex(1.0f, 1.0f));
}
