#include "DSP/Data/Spectrum.hpp"

#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

using DSP::ComplexTmpl;
using DSP::EScale;
using DSP::Spectrum;
using DSP::SpectrumConfig;
using DSP::SpecTypeFlags;
using Complex = ComplexTmpl<float>;
using Flags = SpecTypeFlags;

constexpr double kPi = 3.14159265358979323846;
// Error bounds of the fast approximations, measured over their whole working range:
// square root 1.1e-5 relative, sine and cosine 6.5e-5 absolute, arc tangent 4.6e-6 rad.
constexpr double kSqrtRelTol = 2e-5;
constexpr double kSinCosTol = 1e-4;
constexpr double kAngleTol = 1e-5;

Spectrum Configured(int bins, const SpecTypeFlags& type, float rangeHz = 1000.f) {
    SpectrumConfig cfg;
    cfg.SetSize(bins);
    cfg.SetType(type);
    cfg.SetSpectralRange(rangeHz);
    return Spectrum(cfg);
}

// Wraps an angle difference into (-pi, pi], so that -pi and pi compare equal.
double AngleDiff(double a, double b) {
    return std::remainder(a - b, 2 * kPi);
}

// A spectrum whose magnitude/phase buffers hold random bins (fixed seed), magnitudes in
// 0.01 ... 10 and phases in -3 ... 3 rad.
Spectrum RandomMagPhase(int bins, unsigned seed = 7) {
    Spectrum s = Configured(bins, Flags());
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> mag(0.01f, 10.f), phase(-3.f, 3.f);
    for (int i = 0; i < bins; ++i) {
        s.GetMagBuffer()[i] = mag(rng);
        s.GetPhaseBuffer()[i] = phase(rng);
    }
    return s;
}

class SpectrumTest : public ::testing::Test {
protected:
    QuietAssertions quiet;
};

TEST_F(SpectrumTest, DefaultSpectrumIsAnEmptyLinearMagPhaseSpectrum) {
    const Spectrum s;
    EXPECT_EQ(s.GetSize(), 0);
    EXPECT_EQ(s.GetType(), Flags({Flags::eMagPhase}));
    EXPECT_EQ(s.GetSpectralRange(), 22050.f);
    EXPECT_EQ(s.GetScale().GetValue(), EScale::eLinear);
    EXPECT_STREQ(s.GetDSPClassName(), "Spectrum");
}

TEST_F(SpectrumTest, FrequencyMapsToTheNearestBinWithTiesToEven) {
    EXPECT_EQ(Configured(513, Flags(), 22050.f).IndexFromFreq(1000.f), 23);
    // Three bins over 4 Hz: bins at 0, 2 and 4 Hz; 1 Hz and 3 Hz lie halfway.
    const Spectrum s = Configured(3, Flags(), 4.f);
    EXPECT_EQ(s.IndexFromFreq(1.f), 0);
    EXPECT_EQ(s.IndexFromFreq(3.f), 2);
    EXPECT_EQ(s.IndexFromFreq(2.9f), 1);
}

TEST_F(SpectrumTest, SettingTheTypeSizesNewRepresentationsWithoutConverting) {
    Spectrum s = RandomMagPhase(8);
    s.SetType(Flags({Flags::eComplex, Flags::ePolar}));
    EXPECT_EQ(s.GetComplexArray().Size(), 8);
    EXPECT_EQ(s.GetComplexArray().AllocatedSize(), 8);
    EXPECT_EQ(s.GetPolarArray().Size(), 8);
    EXPECT_EQ(s.GetComplexArray()[3], Complex(0.f, 0.f));
    // The buffers of the dropped representation are kept (stale), not released.
    s.SetSize(4);
    EXPECT_EQ(s.GetComplexArray().AllocatedSize(), 4);
    EXPECT_EQ(s.GetMagBuffer().Size(), 8);
    EXPECT_EQ(s.GetBPFSize(), 4);
}

TEST_F(SpectrumTest, ReadingASpectrumWithoutRepresentationFails) {
    Spectrum s = Configured(4, Flags(std::initializer_list<unsigned>{}));
    EXPECT_DSP_ASSERT(s.GetMag(1), "Spectrum::GetMag: Spectrum no initialized");
    EXPECT_DSP_ASSERT(s.GetMag(100.f), "Spectrum::GetMag: Spectrum no initialized");
    EXPECT_DSP_ASSERT(s.GetPhase(1), "Spectrum::GetPhase: Spectrum no initialized");
    EXPECT_DSP_ASSERT(s.GetPhase(100.f), "Spectrum::GetPhase: Spectrum no initialized");
}

TEST_F(SpectrumTest, ReadsComeFromTheFirstPresentRepresentation) {
    Spectrum s = Configured(5, Flags({Flags::eMagPhase, Flags::ePolar, Flags::eComplex}), 4.f);
    s.GetMagBuffer()[2] = 1.f;
    s.GetPhaseBuffer()[2] = 0.1f;
    s.GetPolarArray()[2] = DSP::PolarTmpl<float>(2.f, 0.2f);
    s.GetComplexArray()[2] = Complex(0.f, 3.f);
    EXPECT_EQ(s.GetMag(2), 1.f);
    EXPECT_EQ(s.GetPhase(2.f), 0.1f); // 2 Hz is bin 2
    s.SetType(Flags({Flags::ePolar, Flags::eComplex}));
    EXPECT_EQ(s.GetMag(2), 2.f);
    EXPECT_EQ(s.GetPhase(2), 0.2f);
    s.SetType(Flags({Flags::eComplex}));
    EXPECT_NEAR(s.GetMag(2), 3.0, 3.0 * kSqrtRelTol);
    EXPECT_NEAR(s.GetPhase(2), kPi / 2, kAngleTol);
}

TEST_F(SpectrumTest, MagnitudeGoesEverywhereButPhaseOnlyToTheFirstRepresentation) {
    Spectrum s = Configured(4, Flags({Flags::eMagPhase, Flags::eComplex}));
    s.GetComplexArray()[1] = Complex(0.f, -2.f);
    s.SetPhase(1, 0.5f);
    EXPECT_EQ(s.GetPhaseBuffer()[1], 0.5f);
    EXPECT_EQ(s.GetComplexArray()[1], Complex(0.f, -2.f));
    s.SetMag(1, 4.f);
    EXPECT_EQ(s.GetMagBuffer()[1], 4.f);
    // The complex bin keeps its angle (-pi/2) and takes the new length.
    EXPECT_NEAR(s.GetComplexArray()[1].Real(), 0.0, 4 * kSinCosTol);
    EXPECT_NEAR(s.GetComplexArray()[1].Imag(), -4.0, 4 * kSinCosTol);
    // Frequencies address the nearest bin: 333.3 Hz per bin over 1000 Hz.
    s.SetMag(340.f, 7.f);
    EXPECT_EQ(s.GetMag(1), 7.f);
}

TEST_F(SpectrumTest, ConversionsAgreeWithExactPolarArithmetic) {
    const int n = 257;
    Spectrum s = RandomMagPhase(n);
    s.SetTypeSynchronize(Flags({Flags::eMagPhase, Flags::eComplex, Flags::ePolar}));
    for (int i = 0; i < n; ++i) {
        const double m = s.GetMagBuffer()[i], p = s.GetPhaseBuffer()[i];
        EXPECT_NEAR(s.GetComplexArray()[i].Real(), m * std::cos(p), m * kSinCosTol) << i;
        EXPECT_NEAR(s.GetComplexArray()[i].Imag(), m * std::sin(p), m * kSinCosTol) << i;
        EXPECT_EQ(s.GetPolarArray()[i].Mag(), s.GetMagBuffer()[i]);
        EXPECT_EQ(s.GetPolarArray()[i].Ang(), s.GetPhaseBuffer()[i]);
    }
    // Back from the complex bins: exact magnitude and angle of what the complex bins hold.
    Spectrum back = Configured(n, Flags());
    back.SynchronizeTo(Flags({Flags::eComplex}), s);
    for (int i = 0; i < n; ++i) {
        const Complex c = s.GetComplexArray()[i];
        const double m = std::hypot(c.Real(), c.Imag());
        EXPECT_NEAR(back.GetMagBuffer()[i], m, m * kSqrtRelTol) << i;
        EXPECT_NEAR(AngleDiff(back.GetPhaseBuffer()[i], std::atan2(c.Imag(), c.Real())), 0.0,
                    kAngleTol)
            << i;
    }
}

TEST_F(SpectrumTest, PolarSourceFillsComplexAndMagPhase) {
    Spectrum s = Configured(3, Flags({Flags::ePolar}));
    s.GetPolarArray()[0] = DSP::PolarTmpl<float>(2.f, 0.f);
    s.GetPolarArray()[1] = DSP::PolarTmpl<float>(1.f, static_cast<float>(kPi / 2));
    s.GetPolarArray()[2] = DSP::PolarTmpl<float>(3.f, static_cast<float>(-kPi));
    Spectrum t = Configured(3, Flags({Flags::eComplex, Flags::eMagPhase}));
    t.SynchronizeTo(s);
    const Complex expected[] = {{2.f, 0.f}, {0.f, 1.f}, {-3.f, 0.f}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(t.GetComplexArray()[i].Real(), expected[i].Real(), 3 * kSinCosTol) << i;
        EXPECT_NEAR(t.GetComplexArray()[i].Imag(), expected[i].Imag(), 3 * kSinCosTol) << i;
        EXPECT_EQ(t.GetMagBuffer()[i], s.GetPolarArray()[i].Mag());
    }
}

TEST_F(SpectrumTest, SynchronizingPrefersMagnitudeAndPhaseAmongSeveralSources) {
    Spectrum source = RandomMagPhase(4);
    source.SetType(Flags({Flags::eMagPhase, Flags::eComplex})); // complex bins stay zero
    Spectrum target = Configured(4, Flags({Flags::ePolar}));
    target.SynchronizeTo(source);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(target.GetPolarArray()[i].Mag(), source.GetMagBuffer()[i]) << i;
    // Naming the source representation overrides the preference.
    target.SynchronizeTo(Flags({Flags::eComplex}), source);
    EXPECT_EQ(target.GetPolarArray()[2].Mag(), 0.f);
}

TEST_F(SpectrumTest, ConvertingBuffersToComplexLeavesOnlyTheComplexType) {
    Spectrum s = RandomMagPhase(3);
    s.MagPhase2Complex();
    EXPECT_EQ(s.GetType(), Flags({Flags::eComplex}));
    const double m = s.GetMagBuffer()[1];
    EXPECT_NEAR(s.GetMag(1), m, m * (kSqrtRelTol + kSinCosTol));
}

TEST_F(SpectrumTest, ConversionFromASourceWithFewerBinsIsRefused) {
    const Spectrum small = RandomMagPhase(2);
    Spectrum big = Configured(4, Flags({Flags::ePolar, Flags::eComplex, Flags::eMagPhase}));
    const char* magPhaseMessage =
        "Spectrum: the source holds fewer magnitudes and phases than this spectrum";
    EXPECT_DSP_ASSERT(big.MagPhase2Polar(small), magPhaseMessage);
    EXPECT_DSP_ASSERT(big.MagPhase2Complex(small), magPhaseMessage);
    EXPECT_DSP_ASSERT(big.MagPhase2BPF(small), magPhaseMessage);
    EXPECT_DSP_ASSERT(
        big.Complex2MagPhase(small),
        "Spectrum::Complex2MagPhase: the source holds fewer complex bins than this spectrum");
    EXPECT_DSP_ASSERT(
        big.Polar2MagPhase(small),
        "Spectrum::Polar2MagPhase: the source holds fewer polar bins than this spectrum");
    EXPECT_DSP_ASSERT(big.Complex2Polar(small),
                      "ComplexToPolarCnv::Convert: unable to convert buffers with different sizes");
    EXPECT_EQ(big.GetMagBuffer()[3], 0.f);
    EXPECT_EQ(big.GetBPFSize(), 4);
}

TEST_F(SpectrumTest, SynchronizingToComplexAloneConvertsAndDropsTheBuffers) {
    Spectrum s = RandomMagPhase(16);
    const Spectrum original = s;
    s.SetTypeSynchronize(Flags({Flags::eComplex}));
    EXPECT_EQ(s.GetType(), Flags({Flags::eComplex}));
    for (int i = 0; i < 16; ++i) {
        const double m = original.GetMagBuffer()[i];
        EXPECT_NEAR(s.GetMag(i), m, m * (kSqrtRelTol + kSinCosTol)) << i;
        EXPECT_NEAR(AngleDiff(s.GetPhase(i), original.GetPhaseBuffer()[i]), 0.0, 2 * kSinCosTol)
            << i;
    }
    // Asking for a representation that is already there changes nothing.
    const Spectrum before = s;
    s.SetTypeSynchronize(Flags({Flags::eComplex}));
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(s.GetComplexArray()[i], before.GetComplexArray()[i]);
}

TEST_F(SpectrumTest, BreakPointFunctionsSampleTheBinsAtTheirFrequencies) {
    Spectrum s = RandomMagPhase(5); // bins every 250 Hz
    s.SetTypeSynchronize(Flags({Flags::eMagPhaseBPF}));
    ASSERT_EQ(s.GetBPFSize(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(s.GetMagBPF().GetXValue(i), 250.f * i);
    // Linear interpolation between the points at 250 and 500 Hz.
    const float between = 0.5f * (s.GetMag(1) + s.GetMag(2));
    EXPECT_FLOAT_EQ(s.GetMag(375.f), between);
    // Back to buffers: the functions are read exactly at their points.
    Spectrum back = Configured(5, Flags());
    back.SynchronizeTo(s);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(back.GetMagBuffer()[i], s.GetMagBPF().GetValueFromIndex(i));
        EXPECT_EQ(back.GetPhaseBuffer()[i], s.GetPhaseBPF().GetValueFromIndex(i));
    }
}

TEST_F(SpectrumTest, BreakPointFunctionsCanBeBuiltFromComplexOrPolarBinsAlone) {
    const Spectrum reference = RandomMagPhase(7);
    for (unsigned from : {Flags::eComplex, Flags::ePolar}) {
        Spectrum s = reference;
        s.SetTypeSynchronize(Flags({from}));
        // The buffers are stale now; clear them so that only a real conversion fills them.
        for (int i = 0; i < 7; ++i)
            s.GetMagBuffer()[i] = s.GetPhaseBuffer()[i] = 0.f;
        s.SetTypeSynchronize(Flags({Flags::eMagPhaseBPF}));
        ASSERT_EQ(s.GetMagBPF().Size(), 7) << from;
        for (int i = 0; i < 7; ++i) {
            const double m = reference.GetMagBuffer()[i];
            EXPECT_NEAR(s.GetMagBPF().GetValueFromIndex(i), m, m * (kSqrtRelTol + kSinCosTol))
                << from << " bin " << i;
            EXPECT_NEAR(
                AngleDiff(s.GetPhaseBPF().GetValueFromIndex(i), reference.GetPhaseBuffer()[i]), 0.0,
                2 * kSinCosTol)
                << from << " bin " << i;
        }
    }
    // A spectrum without bins gets functions without points.
    Spectrum empty;
    empty.SetTypeSynchronize(Flags({Flags::eMagPhaseBPF}));
    EXPECT_EQ(empty.GetMagBPF().Size(), 0);
}

TEST_F(SpectrumTest, SynchronizingFromBreakPointsKeepsTheTargetType) {
    Spectrum source = RandomMagPhase(6);
    source.SetTypeSynchronize(Flags({Flags::eMagPhaseBPF}));
    const Flags wanted({Flags::eMagPhase, Flags::eComplex});
    Spectrum target = Configured(6, wanted);
    target.SynchronizeTo(source);
    EXPECT_EQ(target.GetType(), wanted);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(target.GetMagBuffer()[i], source.GetMagBPF().GetValueFromIndex(i));
        const double m = target.GetMagBuffer()[i];
        EXPECT_NEAR(target.GetComplexArray()[i].Mag(), m, m * (kSqrtRelTol + kSinCosTol)) << i;
    }
}

TEST_F(SpectrumTest, DecibelScaleHasASilenceFloorAndRoundTrips) {
    Spectrum s = Configured(4, Flags({Flags::eMagPhase, Flags::ePolar, Flags::eMagPhaseBPF}));
    const float linear[] = {1.f, 1e-6f, 0.5f, 8.f};
    for (int i = 0; i < 4; ++i)
        s.SetMag(i, linear[i]);
    s.ToDB();
    EXPECT_EQ(s.GetScale().GetValue(), EScale::eLog);
    // The fast logarithm is within 2.4e-6 octaves, 1.5e-5 dB.
    const float tolDb = 2e-5f;
    const float expectedDb[] = {0.f, -200.f, -6.0206f, 18.0618f};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(s.GetMagBuffer()[i], expectedDb[i], tolDb) << i;
        EXPECT_EQ(s.GetPolarArray()[i].Mag(), s.GetMagBuffer()[i]) << i;
        EXPECT_EQ(s.GetMagBPF().GetValueFromIndex(i), s.GetMagBuffer()[i]) << i;
    }
    const Spectrum inDb = s;
    s.ToDB();
    EXPECT_EQ(s.GetMagBuffer()[2], inDb.GetMagBuffer()[2]);
    s.ToLinear();
    EXPECT_EQ(s.GetScale().GetValue(), EScale::eLinear);
    EXPECT_EQ(s.GetMagBuffer()[1], 0.f);
    // Logarithm and power together stay within 1e-5 relative.
    for (int i : {0, 2, 3}) {
        EXPECT_NEAR(s.GetMagBuffer()[i], linear[i], linear[i] * 1e-5f) << i;
        EXPECT_EQ(s.GetPolarArray()[i].Mag(), s.GetMagBuffer()[i]) << i;
    }
    s.SetMag(0, 0.f);
    s.SetScale(EScale(EScale::eLog));
    s.ToLinear();
    EXPECT_NEAR(s.GetMagBuffer()[0], 1.f, 1e-5f); // 0 dB
}

TEST_F(SpectrumTest, ComplexBinsKeepTheirAngleInDecibelsAndZeroBinsStayZero) {
    Spectrum s = Configured(2, Flags({Flags::eComplex}));
    s.GetComplexArray()[0] = Complex(0.f, 0.f);
    s.GetComplexArray()[1] = Complex(6.f, 8.f); // length 10: 20 dB
    s.ToDB();
    EXPECT_EQ(s.GetComplexArray()[0], Complex(0.f, 0.f));
    // Square root (1.1e-5) and logarithm errors scale the 20 dB length.
    EXPECT_NEAR(s.GetComplexArray()[1].Real(), 12.0, 12.0 * 5e-5);
    EXPECT_NEAR(s.GetComplexArray()[1].Imag(), 16.0, 16.0 * 5e-5);
    s.ToLinear();
    EXPECT_EQ(s.GetComplexArray()[0], Complex(0.f, 0.f));
    EXPECT_NEAR(s.GetComplexArray()[1].Real(), 6.0, 6.0 * 1e-4);
    EXPECT_NEAR(s.GetComplexArray()[1].Imag(), 8.0, 8.0 * 1e-4);
}

TEST_F(SpectrumTest, ConfigurationRoundTripsAndCopiesCarryStaleData) {
    SpectrumConfig cfg;
    cfg.SetSize(9);
    cfg.SetSpectralRange(24000.f);
    cfg.SetScale(EScale(EScale::eLog));
    cfg.SetType(Flags({Flags::eComplex}));
    Spectrum s(cfg);
    SpectrumConfig out;
    s.GetConfig(out);
    EXPECT_EQ(out.GetSize(), 9);
    EXPECT_EQ(out.GetSpectralRange(), 24000.f);
    EXPECT_EQ(out.GetScale().GetValue(), EScale::eLog);
    EXPECT_EQ(out.GetType(), Flags({Flags::eComplex}));
    EXPECT_EQ(out.GetBPFSize(), 0); // equal to the size, so not reported

    Spectrum withStale = RandomMagPhase(3);
    withStale.SetType(Flags({Flags::eComplex}));
    const Spectrum copy = withStale;
    EXPECT_EQ(copy.GetMagBuffer()[2], withStale.GetMagBuffer()[2]);
    EXPECT_EQ(copy.GetType(), withStale.GetType());
}

} // namespace
