#include "DSP/Processing/Analysis/FFT_ooura.hpp"

#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Processing/SignalTestData.hpp"
#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <complex>
#include <string>

namespace {

using DSP::Audio;
using DSP::FFT_ooura;
using DSP::Spectrum;
using DSP::SpecTypeFlags;

const auto Size = SizeConfig<DSP::FFTConfig>;

Spectrum Bins(int bins) {
    Spectrum spectrum;
    spectrum.SetSize(bins);
    return spectrum;
}

class FFTTest : public ::testing::Test {
protected:
    QuietAssertions quiet;
};

TEST_F(FFTTest, MatchesANaiveTransformInDoublePrecisionAtEverySize) {
    GlobalProcessInfo::SetSampleRate(48000.0f);
    for (int n = 2; n <= 4096; n *= 2) {
        const std::vector<float> x = RandomSamples(n, unsigned(n));
        Audio frame = AudioOf(x);
        Spectrum out = Bins(2100);
        ASSERT_TRUE(FFT_ooura(Size(n)).Do(frame, out));
        ASSERT_EQ(out.GetMagBuffer().Size(), n / 2 + 1);
        ASSERT_EQ(out.GetPhaseBuffer().Size(), n / 2 + 1);
        EXPECT_EQ(out.GetSpectralRange(), 24000.0f);
        for (int k = 0; k <= n / 2; ++k) {
            std::complex<double> expected = 0.0;
            for (int j = 0; j < n; ++j)
                expected += double(x[j]) * std::polar(1.0, -2.0 * M_PI * double(j * k % n) / n);
            const auto bin =
                std::polar(double(out.GetMagBuffer()[k]), double(out.GetPhaseBuffer()[k]));
            // Twiddle error of the transform (fast sines and cosines, measured 1.4e-5 * |x| at
            // N = 1024 and 1.9e-5 * |x| at 4096) plus the fast square root (1.1e-5 relative)
            // and arc tangent (4.3e-6 rad) applied to bins of size about |x|.
            ASSERT_LT(std::abs(bin - expected), 6e-5 * Norm(x)) << "n = " << n << ", bin " << k;
        }
    }
    GlobalProcessInfo::SetSampleRate(44100.0f);
}

TEST_F(FFTTest, NegativeDcKeepsItsSignAsThePhasePi) {
    Audio frame = AudioOf(std::vector<float>(1024, -0.75f));
    Spectrum out = Bins(513);
    FFT_ooura(Size(1024)).Do(frame, out);
    // The sum is exact (768); the fast square root of its square is within 1.1e-5 relative.
    EXPECT_NEAR(out.GetMagBuffer()[0], 768.0f, 768 * 1.1e-5);
    EXPECT_EQ(out.GetPhaseBuffer()[0], 3.1415927f);
}

TEST_F(FFTTest, RefusedSizesAndCallsChangeNothing) {
    FFT_ooura fft;
    EXPECT_FALSE(fft.Configure(Size(1000)));
    EXPECT_NE(fft.GetStatus().find("Configure failed: FFT Ooura algorithm only works for input "
                                   "buffers that are a power of two!"),
              std::string::npos);
    Audio frame = AudioOf(std::vector<float>(1000, 1.0f));
    Spectrum bins = Bins(501), out = Bins(513), small = Bins(100);
    EXPECT_FALSE(fft.Do(frame, bins)); // unconfigured: does nothing
    for (int bad : {0, 1, -8})
        EXPECT_FALSE(fft.Configure(Size(bad))) << bad;
    EXPECT_NE(fft.GetStatus().find("Negative Size in FFT configuration"), std::string::npos);

    ASSERT_TRUE(fft.Configure(Size(1024)));
    Audio right = AudioOf(std::vector<float>(1024, 1.0f));
    EXPECT_DSP_ASSERT(fft.Do(frame, out),
                      "FFT::Do: Wrong size in FFT Audio input\n  Expected: 1024, used 1000");
    EXPECT_DSP_ASSERT(fft.Do(right, small),
                      "FFT::Do: wrong size  Spectrum.\n  Expected: 513, used 100");
    EXPECT_EQ(Sum(frame.GetBuffer()), 1000.0);
    EXPECT_EQ(Sum(right.GetBuffer()), 1024.0);
}

// The prototype state is set from the output's type flags; a spectrum without any is refused.
TEST_F(FFTTest, PrototypesNeedAnOutputTypeFlag) {
    FFT_ooura fft(Size(16));
    Spectrum out = Bins(9);
    out.SetType(SpecTypeFlags({SpecTypeFlags::eComplex}));
    fft.SetPrototypes(AudioOf(std::vector<float>(16, 0.0f)), out);
    EXPECT_EQ(fft.GetPrototypeState(), FFT_ooura::eComplexOnly);
    out.SetType(SpecTypeFlags({}));
    EXPECT_DSP_ASSERT(fft.SetPrototypes(AudioOf(std::vector<float>(16, 0.0f)), out),
                      "FFT_numrec: SetPrototypes(): Spectrum with no attributes!");
    EXPECT_EQ(fft.GetPrototypeState(), FFT_ooura::eComplexOnly);
}

} // namespace
