#include "DSP/Processing/Synthesis/IFFT_ooura.hpp"

#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Processing/Analysis/FFT_ooura.hpp"
#include "DSP/Processing/SignalTestData.hpp"
#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

using DSP::Audio;
using DSP::IFFT_ooura;
using DSP::Spectrum;
using DSP::SpecTypeFlags;

const auto Size = SizeConfig<DSP::IFFTConfig>;

class IFFTTest : public ::testing::Test {
protected:
    QuietAssertions quiet;
};

TEST_F(IFFTTest, ForwardThenInverseReturnsTheFrame) {
    // Random frames, and one whose DC, Nyquist and one cosine are negative: each such bin lies
    // on the real axis, where the forward transform keeps the sign in the phase.
    for (auto [n, onAxis] :
         {std::pair<int, bool>{4, false}, {64, false}, {1024, false}, {2048, false}, {64, true}}) {
        std::vector<float> x = RandomSamples(n, unsigned(n));
        for (int j = 0; onAxis && j < n; ++j)
            x[j] = float(-0.5 - 0.25 * ((j % 2) ? -1 : 1) - std::cos(2.0 * M_PI * 5 * j / n));
        Audio frame = AudioOf(x);
        DSP::FFT_ooura fft(SizeConfig<DSP::FFTConfig>(n));
        IFFT_ooura ifft(Size(n));
        Spectrum spectrum;
        spectrum.SetSize(n / 2 + 1);
        fft.Do(frame, spectrum);
        Audio out = NaNAudio(n);
        ifft.Do(spectrum, out);
        // Twiddle error of both directions (measured 1.5e-5 of the peak sample) plus the fast
        // square root, arc tangent and sine/cosine of the magnitude/phase form (1e-5); the
        // on-axis frame peaks at 1.75.
        const float tolerance = onAxis ? 1e-4f : 6e-5f;
        for (int j = 0; j < n; ++j)
            ASSERT_NEAR(out.GetBuffer()[j], x[j], tolerance) << "n = " << n << ", j = " << j;
    }
}

TEST_F(IFFTTest, ComplexSpectrumIsInvertedWithTheUsualSignConvention) {
    // X[1] = X[N-1]* = N/2 * e^(i phi) is the frame cos(2 pi j / N + phi).
    const int n = 32;
    const double phi = 0.3;
    Spectrum spectrum;
    spectrum.SetType(SpecTypeFlags({SpecTypeFlags::eComplex}));
    spectrum.SetSize(n / 2 + 1);
    spectrum.GetComplexArray()[1] =
        DSP::ComplexTmpl<float>(float(n / 2 * std::cos(phi)), float(n / 2 * std::sin(phi)));
    spectrum.GetComplexArray()[0] = DSP::ComplexTmpl<float>(float(n), 99.0f);
    Audio out = NaNAudio(n);
    IFFT_ooura(Size(n)).Do(spectrum, out);
    // Exact twiddles would give rounding only; the fast sine's 3.1e-6 dominates.
    for (int j = 0; j < n; ++j)
        ASSERT_NEAR(out.GetBuffer()[j], 1.0 + std::cos(2.0 * M_PI * j / n + phi), 2e-5) << j;
}

TEST_F(IFFTTest, SpectrumWithoutComplexOrMagPhaseGivesZerosAtTheGlobalRate) {
    Spectrum spectrum;
    spectrum.SetType(SpecTypeFlags({SpecTypeFlags::ePolar}));
    spectrum.SetSize(9);
    Audio out = NaNAudio(20);
    out.SetSampleRate(8000.0f);
    EXPECT_TRUE(IFFT_ooura(Size(16)).Do(spectrum, out));
    EXPECT_EQ(out.GetSampleRate(), GlobalProcessInfo::GetSampleRate());
    for (int j = 0; j < 16; ++j)
        EXPECT_EQ(out.GetBuffer()[j], 0.0f);
    EXPECT_TRUE(std::isnan(out.GetBuffer()[16]));
}

TEST_F(IFFTTest, RefusedSizesAndCallsChangeNothing) {
    IFFT_ooura ifft;
    EXPECT_FALSE(ifft.Configure(Size(1000)));
    EXPECT_NE(ifft.GetStatus().find("Configure failed: IFFT Ooura algorithm only works for input "
                                    "buffers that are a power of two!"),
              std::string::npos);
    EXPECT_FALSE(ifft.Configure(Size(1)));
    EXPECT_TRUE(ifft.Configure(Size(0)));
    ASSERT_TRUE(ifft.Configure(Size(16)));

    Spectrum spectrum, small;
    spectrum.SetSize(9);
    small.SetSize(5);
    Audio shortOut = NaNAudio(15), out = NaNAudio(16);
    EXPECT_DSP_ASSERT(ifft.Do(spectrum, shortOut),
                      "IFFT::Do: Wrong size in IFFT Audio output\n  Expected: 16, used 15");
    EXPECT_DSP_ASSERT(ifft.Do(small, out),
                      "IFFT::Do: wrong size  Spectrum.\n  Expected: 9, used 5");
    EXPECT_TRUE(std::isnan(shortOut.GetBuffer()[0]));
    EXPECT_TRUE(std::isnan(out.GetBuffer()[0]));
}

// The forward and inverse transforms refuse a size change through a control alike.
TEST_F(IFFTTest, NeitherTransformChangesSizeThroughAControl) {
    IFFT_ooura ifft(Size(16));
    DSP::FFT_ooura fft(SizeConfig<DSP::FFTConfig>(16));
    EXPECT_DSP_ASSERT(ifft.ChangeSize(-1), "Wrong (negative) Size in control input.");
    EXPECT_DSP_ASSERT(ifft.ChangeSize(32), "Controls not yet implemented.");
    EXPECT_DSP_ASSERT(fft.ChangeSize(-1), "Wrong (negative) Size in control input.");
    EXPECT_DSP_ASSERT(fft.ChangeSize(32), "Controls not yet implemented.");
    EXPECT_EQ(fft.GetSize(), 16);
}

} // namespace
