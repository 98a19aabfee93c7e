#include "DSP/Processing/Analysis/FFT_ooura.hpp"

#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Misc/Ports/AudioOutPort.hpp"
#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>
#include <string>

namespace {

using DSP::Audio;
using DSP::FFT_ooura;
using DSP::FFTConfig;
using DSP::Spectrum;
using DSP::SpecTypeFlags;

FFTConfig Size(int n) {
    FFTConfig config;
    config.SetAudioSize(n);
    return config;
}

Audio Frame(int n, float (*sample)(int)) {
    Audio frame;
    frame.SetSize(n);
    for (int j = 0; j < n; ++j)
        frame.GetBuffer()[j] = sample(j);
    return frame;
}

Spectrum Bins(int bins) {
    Spectrum spectrum;
    spectrum.SetSize(bins);
    return spectrum;
}

std::complex<double> Bin(const Spectrum& s, int k) {
    return std::polar(double(s.GetMagBuffer()[k]), double(s.GetPhaseBuffer()[k]));
}

class FFTTest : public ::testing::Test {
protected:
    QuietAssertions quiet;
};

TEST_F(FFTTest, ConstantFrameHasOnlyADcBin) {
    for (float c : {0.75f, -0.75f}) {
        FFT_ooura fft(Size(1024));
        Audio frame;
        frame.SetSize(1024);
        for (int j = 0; j < 1024; ++j)
            frame.GetBuffer()[j] = c;
        Spectrum out = Bins(513);
        ASSERT_TRUE(fft.Do(frame, out));
        // The sum is exact (768); the fast square root of its square is within 1.1e-5
        // relative of it (767.99573 here).
        EXPECT_NEAR(out.GetMagBuffer()[0], 1024 * std::fabs(c), 768 * 1.1e-5);
        // A negative DC keeps its sign as the phase pi (see the round trip below).
        EXPECT_EQ(out.GetPhaseBuffer()[0], c < 0 ? 3.1415927f : 0.0f);
        // Every other bin is a sum of 1024 equal values times twiddles that cancel up to the
        // fast sine's 3.1e-6 error: well below 1e-3 of the DC magnitude.
        for (int k = 1; k <= 512; ++k)
            ASSERT_LT(out.GetMagBuffer()[k], 0.77f) << k;
    }
}

TEST_F(FFTTest, CosineOnABinPeaksThereWithPhaseZero) {
    FFT_ooura fft(Size(1024));
    for (int k0 : {1, 37, 256, 511}) {
        Audio frame;
        frame.SetSize(1024);
        for (int j = 0; j < 1024; ++j)
            frame.GetBuffer()[j] = float(std::cos(2.0 * M_PI * k0 * j / 1024.0));
        Spectrum out = Bins(513);
        fft.Do(frame, out);
        // N/2 = 512, off by the twiddle error (about 1e-5 relative) and the fast square root
        // (up to 1.1e-5 relative).
        EXPECT_NEAR(out.GetMagBuffer()[k0], 512.0f, 512 * 3e-5) << k0;
        EXPECT_NEAR(out.GetPhaseBuffer()[k0], 0.0f, 1e-4f) << k0;
        for (int k = 0; k <= 512; ++k) {
            if (k != k0) {
                ASSERT_LT(out.GetMagBuffer()[k], 512 * 5e-5) << k0 << " leaks into " << k;
            }
        }
    }
}

TEST_F(FFTTest, MatchesANaiveTransformInDoublePrecision) {
    const int n = 1024;
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> sample(-1.0f, 1.0f);
    Audio frame;
    frame.SetSize(n);
    for (int j = 0; j < n; ++j)
        frame.GetBuffer()[j] = sample(rng);
    const Audio original = frame;
    double norm = 0.0;
    for (int j = 0; j < n; ++j)
        norm += double(original.GetBuffer()[j]) * original.GetBuffer()[j];
    norm = std::sqrt(norm);

    FFT_ooura fft(Size(n));
    Spectrum out = Bins(n / 2 + 1);
    fft.Do(frame, out);
    for (int k = 0; k <= n / 2; ++k) {
        std::complex<double> expected = 0.0;
        for (int j = 0; j < n; ++j)
            expected += double(original.GetBuffer()[j]) *
                        std::polar(1.0, -2.0 * M_PI * double((j * k) % n) / n);
        // Twiddle error of the transform (measured 1.4e-5 * |x|) plus the fast square root
        // (1.1e-5 relative) and arc tangent (4.3e-6 rad) applied to bins of size about |x|.
        ASSERT_LT(std::abs(Bin(out, k) - expected), 6e-5 * norm) << "bin " << k;
    }
}

TEST_F(FFTTest, SpectrumHasHalfPlusOneBinsAndHalfTheSampleRate) {
    GlobalProcessInfo::SetSampleRate(48000.0f);
    FFT_ooura fft(Size(1024));
    Audio frame = Frame(1024, [](int j) { return float(j % 3); });
    Spectrum out;
    out.SetSize(600);
    out.SetSpectralRange(1.0f);
    fft.Do(frame, out);
    EXPECT_EQ(out.GetMagBuffer().Size(), 513);
    EXPECT_EQ(out.GetPhaseBuffer().Size(), 513);
    EXPECT_EQ(out.GetSpectralRange(), 24000.0f);
    GlobalProcessInfo::SetSampleRate(44100.0f);
}

TEST_F(FFTTest, RefusesSizesThatAreNotPowersOfTwoOrZero) {
    FFT_ooura fft;
    EXPECT_FALSE(fft.Configure(Size(1000)));
    EXPECT_NE(fft.GetStatus().find("Configure failed: FFT Ooura algorithm only works for input "
                                   "buffers that are a power of two!"),
              std::string::npos);
    EXPECT_FALSE(fft.Configure(Size(0)));
    EXPECT_FALSE(fft.Configure(Size(1)));
    EXPECT_FALSE(fft.Configure(Size(-8)));
    EXPECT_NE(fft.GetStatus().find("Negative Size in FFT configuration"), std::string::npos);
    EXPECT_TRUE(fft.Configure(Size(8)));
    EXPECT_EQ(fft.GetStatus(), "Ready to be started");
}

TEST_F(FFTTest, UnconfiguredTransformDoesNothing) {
    FFT_ooura fft;
    EXPECT_FALSE(fft.Configure(Size(1000)));
    Audio frame = Frame(1000, [](int) { return 1.0f; });
    Spectrum out = Bins(501);
    EXPECT_FALSE(fft.Do(frame, out));
    EXPECT_EQ(frame.GetBuffer()[0], 1.0f);
}

TEST_F(FFTTest, WrongFrameOrSpectrumSizeIsRefusedBeforeTheFrameChanges) {
    FFT_ooura fft(Size(1024));
    Audio frame = Frame(1000, [](int) { return 1.0f; });
    Spectrum out = Bins(513);
    EXPECT_DSP_ASSERT(fft.Do(frame, out),
                      "FFT::Do: Wrong size in FFT Audio input\n  Expected: 1024, used 1000");
    EXPECT_EQ(frame.GetBuffer()[0], 1.0f);

    Audio right = Frame(1024, [](int) { return 1.0f; });
    Spectrum small = Bins(100);
    EXPECT_DSP_ASSERT(fft.Do(right, small),
                      "FFT::Do: wrong size  Spectrum.\n  Expected: 513, used 100");
    EXPECT_EQ(right.GetBuffer()[0], 1.0f);
}

TEST_F(FFTTest, PrototypesFollowTheOutputTypeFlags) {
    FFT_ooura fft(Size(16));
    EXPECT_EQ(fft.GetPrototypeState(), FFT_ooura::eOthersOnly);
    const Audio frame = Frame(16, [](int) { return 0.0f; });
    Spectrum out = Bins(9);
    out.SetType(SpecTypeFlags({SpecTypeFlags::eComplex}));
    fft.SetPrototypes(frame, out);
    EXPECT_EQ(fft.GetPrototypeState(), FFT_ooura::eComplexOnly);
    out.SetType(SpecTypeFlags({SpecTypeFlags::eComplex, SpecTypeFlags::ePolar}));
    fft.SetPrototypes(frame, out);
    EXPECT_EQ(fft.GetPrototypeState(), FFT_ooura::eComplexAndOthers);
    out.SetType(SpecTypeFlags({SpecTypeFlags::eMagPhaseBPF}));
    fft.SetPrototypes(frame, out);
    EXPECT_EQ(fft.GetPrototypeState(), FFT_ooura::eOthersOnly);
    out.SetType(SpecTypeFlags({}));
    EXPECT_DSP_ASSERT(fft.SetPrototypes(frame, out),
                      "FFT_numrec: SetPrototypes(): Spectrum with no attributes!");
    EXPECT_EQ(fft.GetPrototypeState(), FFT_ooura::eOthersOnly);

    const Audio wrong = Frame(15, [](int) { return 0.0f; });
    EXPECT_DSP_ASSERT(fft.CheckTypes(wrong, out),
                      "FFT::Do: Wrong size in FFT Audio input\n  Expected: 16, used 15");
    Spectrum big = Bins(10);
    EXPECT_DSP_ASSERT(fft.CheckTypes(frame, big),
                      "FFT::Do: wrong size  Spectrum.\n  Expected: 9, used 10");
    fft.UnsetPrototypes();
    EXPECT_EQ(fft.GetPrototypeState(), FFT_ooura::eOthersOnly);
}

TEST_F(FFTTest, SizeCannotBeChangedThroughAControl) {
    FFT_ooura fft(Size(16));
    EXPECT_DSP_ASSERT(fft.ChangeSize(-1), "Wrong (negative) Size in control input.");
    EXPECT_DSP_ASSERT(fft.ChangeSize(32), "Controls not yet implemented.");
    EXPECT_EQ(fft.GetSize(), 16);
    EXPECT_STREQ(fft.GetDSPClassName(), "FFT_ooura");
    EXPECT_TRUE(fft.MayDisableExecution());
}

TEST_F(FFTTest, PortDrivenTransformGivesTheSameSpectrumAsTheDirectCall) {
    const int n = 64;
    FFT_ooura fft(Size(n));
    DSP::AudioOutPort source("source");
    source.SetSize(n);
    source.SetHop(n);
    source.ConnectToIn(fft.GetInput());
    DSP::InPort<Spectrum> sink("sink");
    fft.GetOutput().ConnectToIn(sink);

    Audio direct = Frame(n, [](int j) { return float(std::sin(0.3 * j) + 0.1 * j); });
    for (int j = 0; j < n; ++j)
        source.GetAudio().GetBuffer()[j] = direct.GetBuffer()[j];
    source.Produce();
    ASSERT_TRUE(fft.CanConsumeAndProduce());
    EXPECT_TRUE(fft.Do());
    ASSERT_TRUE(sink.CanConsume());

    FFT_ooura reference(Size(n));
    Spectrum expected = Bins(n / 2 + 1);
    reference.Do(direct, expected);
    const Spectrum& produced = sink.GetData();
    ASSERT_EQ(produced.GetSize(), n / 2 + 1);
    for (int k = 0; k <= n / 2; ++k) {
        EXPECT_EQ(produced.GetMagBuffer()[k], expected.GetMagBuffer()[k]) << k;
        EXPECT_EQ(produced.GetPhaseBuffer()[k], expected.GetPhaseBuffer()[k]) << k;
    }
}

} // namespace
