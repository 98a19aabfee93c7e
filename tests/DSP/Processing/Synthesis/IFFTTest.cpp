#include "DSP/Processing/Synthesis/IFFT_ooura.hpp"

#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Misc/Ports/AudioInPort.hpp"
#include "DSP/Misc/Ports/OutPort.hpp"
#include "DSP/Processing/Analysis/FFT_ooura.hpp"
#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>

namespace {

using DSP::Audio;
using DSP::IFFT_ooura;
using DSP::IFFTConfig;
using DSP::Spectrum;
using DSP::SpecTypeFlags;

IFFTConfig Size(int n) {
    IFFTConfig config;
    config.SetAudioSize(n);
    return config;
}

DSP::FFTConfig ForwardSize(int n) {
    DSP::FFTConfig config;
    config.SetAudioSize(n);
    return config;
}

Audio RandomFrame(int n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> sample(-1.0f, 1.0f);
    Audio frame;
    frame.SetSize(n);
    for (int j = 0; j < n; ++j)
        frame.GetBuffer()[j] = sample(rng);
    return frame;
}

Audio NaNs(int n) {
    Audio out;
    out.SetSize(n);
    for (int j = 0; j < n; ++j)
        out.GetBuffer()[j] = std::numeric_limits<float>::quiet_NaN();
    return out;
}

// The frame after a forward transform into magnitude and phase and the inverse of that.
Audio RoundTrip(const Audio& original) {
    const int n = original.GetSize();
    Audio frame = original;
    DSP::FFT_ooura fft(ForwardSize(n));
    IFFT_ooura ifft(Size(n));
    Spectrum spectrum;
    spectrum.SetSize(n / 2 + 1);
    fft.Do(frame, spectrum);
    Audio out = NaNs(n);
    ifft.Do(spectrum, out);
    return out;
}

class IFFTTest : public ::testing::Test {
protected:
    QuietAssertions quiet;
};

TEST_F(IFFTTest, ForwardThenInverseReturnsTheFrame) {
    for (int n : {4, 64, 1024, 2048}) {
        const Audio original = RandomFrame(n, unsigned(n));
        const Audio out = RoundTrip(original);
        // Twiddle error of both directions (measured 1.5e-5 on samples within +-1) plus the
        // fast square root, arc tangent and sine/cosine of the magnitude/phase form (1e-5).
        for (int j = 0; j < n; ++j)
            ASSERT_NEAR(out.GetBuffer()[j], original.GetBuffer()[j], 6e-5f)
                << "n = " << n << ", j = " << j;
    }
}

TEST_F(IFFTTest, NegativeRealBinsSurviveTheRoundTrip) {
    // A frame whose DC, Nyquist and one cosine are negative: every such bin lies on the real
    // axis, where the forward transform keeps the sign in the phase.
    const int n = 64;
    Audio frame;
    frame.SetSize(n);
    for (int j = 0; j < n; ++j)
        frame.GetBuffer()[j] =
            float(-0.5 - 0.25 * ((j % 2) ? -1 : 1) - std::cos(2.0 * M_PI * 5 * j / n));
    const Audio out = RoundTrip(frame);
    // As in the round trip above; the samples reach 1.75 here.
    for (int j = 0; j < n; ++j)
        ASSERT_NEAR(out.GetBuffer()[j], frame.GetBuffer()[j], 1e-4f) << j;
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
    IFFT_ooura ifft(Size(n));
    Audio out = NaNs(n);
    ifft.Do(spectrum, out);
    // Exact twiddles would give rounding only; the fast sine's 3.1e-6 dominates.
    for (int j = 0; j < n; ++j)
        ASSERT_NEAR(out.GetBuffer()[j], 1.0 + std::cos(2.0 * M_PI * j / n + phi), 2e-5) << j;
}

TEST_F(IFFTTest, SpectrumWithoutComplexOrMagPhaseGivesZerosAtTheGlobalRate) {
    Spectrum spectrum;
    spectrum.SetType(SpecTypeFlags({SpecTypeFlags::ePolar}));
    spectrum.SetSize(9);
    IFFT_ooura ifft(Size(16));
    Audio out = NaNs(20);
    out.SetSampleRate(8000.0f);
    EXPECT_TRUE(ifft.Do(spectrum, out));
    EXPECT_EQ(out.GetSampleRate(), GlobalProcessInfo::GetSampleRate());
    for (int j = 0; j < 16; ++j)
        EXPECT_EQ(out.GetBuffer()[j], 0.0f);
    EXPECT_TRUE(std::isnan(out.GetBuffer()[16]));
}

TEST_F(IFFTTest, ConfigurationRefusesSizesThatAreNotPowersOfTwo) {
    IFFT_ooura ifft;
    EXPECT_STREQ(ifft.GetDSPClassName(), "IFFT_ooura");
    EXPECT_EQ(ifft.GetSize(), 1024);
    EXPECT_FALSE(ifft.Configure(Size(1000)));
    EXPECT_NE(ifft.GetStatus().find("Configure failed: IFFT Ooura algorithm only works for input "
                                    "buffers that are a power of two!"),
              std::string::npos);
    EXPECT_FALSE(ifft.Configure(Size(1)));
    EXPECT_TRUE(ifft.Configure(Size(0)));
    EXPECT_TRUE(ifft.Configure(Size(512)));
    EXPECT_TRUE(ifft.Configure(Size(512)));
}

TEST_F(IFFTTest, TooSmallOutputOrSpectrumIsRefusedWithoutChange) {
    IFFT_ooura ifft(Size(16));
    Spectrum spectrum;
    spectrum.SetSize(9);
    Audio out = NaNs(15);
    EXPECT_DSP_ASSERT(ifft.Do(spectrum, out),
                      "IFFT::Do: Wrong size in IFFT Audio output\n  Expected: 16, used 15");
    EXPECT_TRUE(std::isnan(out.GetBuffer()[0]));
    Spectrum small;
    small.SetSize(5);
    Audio right = NaNs(16);
    EXPECT_DSP_ASSERT(ifft.Do(small, right),
                      "IFFT::Do: wrong size  Spectrum.\n  Expected: 9, used 5");
    EXPECT_TRUE(std::isnan(right.GetBuffer()[0]));
}

TEST_F(IFFTTest, SizeCannotBeChangedThroughAControl) {
    IFFT_ooura ifft(Size(16));
    EXPECT_DSP_ASSERT(ifft.ChangeSize(-1), "Wrong (negative) Size in control input.");
    EXPECT_DSP_ASSERT(ifft.ChangeSize(32), "Controls not yet implemented.");
}

TEST_F(IFFTTest, PortDrivenInverseGivesTheSameFrameAsTheDirectCall) {
    const int n = 32;
    IFFT_ooura ifft(Size(n));
    DSP::OutPort<Spectrum> source("source");
    source.ConnectToIn(ifft.GetInput());
    DSP::AudioInPort sink("sink");
    sink.SetSize(n);
    sink.SetHop(n);
    ifft.GetOutput().ConnectToIn(sink);

    Spectrum& spectrum = source.GetData();
    spectrum.SetSize(n / 2 + 1);
    for (int k = 0; k <= n / 2; ++k) {
        spectrum.GetMagBuffer()[k] = 1.0f / float(k + 1);
        spectrum.GetPhaseBuffer()[k] = 0.1f * float(k);
    }
    Audio expected = NaNs(n);
    ifft.Do(spectrum, expected);
    source.Produce();
    ASSERT_TRUE(ifft.CanConsumeAndProduce());
    EXPECT_TRUE(ifft.Do());
    ASSERT_TRUE(sink.CanConsume());
    const Audio& produced = sink.GetAudio();
    for (int j = 0; j < n; ++j)
        EXPECT_EQ(produced.GetBuffer()[j], expected.GetBuffer()[j]) << j;
}

} // namespace
