#include "DSP/Data/Spectrum.hpp"
#include "DSP/Data/SpectrumConversions.hpp"

#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

using DSP::EScale;
using DSP::Spectrum;
using DSP::SpecTypeFlags;
using Complex = DSP::ComplexTmpl<float>;
using Polar = DSP::PolarTmpl<float>;
using Flags = SpecTypeFlags;
using Floats = std::vector<float>;

constexpr double kPi = 3.14159265358979323846;
// Error bounds of the fast approximations, measured over their whole working range:
// square root 1.1e-5 relative, sine and cosine 6.5e-5 absolute, arc tangent 4.6e-6 rad.
constexpr double kSqrtRelTol = 2e-5;
constexpr double kSinCosTol = 1e-4;
constexpr double kAngleTol = 1e-5;
// A magnitude that went through a root and a sine or cosine.
constexpr double kMagRelTol = kSqrtRelTol + kSinCosTol;

Spectrum Configured(int bins, const SpecTypeFlags& type, float rangeHz = 1000.f) {
    DSP::SpectrumConfig cfg;
    cfg.SetSize(bins);
    cfg.SetType(type);
    cfg.SetSpectralRange(rangeHz);
    return Spectrum(cfg);
}

// A spectrum whose magnitude/phase buffers hold random bins (fixed seed), magnitudes in
// 0.01 ... 10 and phases in -3 ... 3 rad.
Spectrum RandomMagPhase(int bins) {
    Spectrum s = Configured(bins, Flags());
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> mag(0.01f, 10.f), phase(-3.f, 3.f);
    for (int i = 0; i < bins; ++i) {
        s.GetMagBuffer()[i] = mag(rng);
        s.GetPhaseBuffer()[i] = phase(rng);
    }
    return s;
}

// Expects a magnitude and a phase (wrapped, so that -pi and pi compare equal) near bin i of
// the reference, for a conversion through the fast root, sine and cosine.
void ExpectNearBin(double mag, double phase, const Spectrum& reference, int i) {
    const double m = reference.GetMagBuffer()[i];
    EXPECT_NEAR(mag, m, 2 * m * kMagRelTol) << i;
    EXPECT_NEAR(std::remainder(phase - reference.GetPhaseBuffer()[i], 2 * kPi), 0.0, 2 * kSinCosTol)
        << i;
}

class SpectrumTest : public ::testing::Test {
protected:
    QuietAssertions quiet;
};

TEST_F(SpectrumTest, DefaultsAndBinFrequencies) {
    const Spectrum s;
    EXPECT_EQ(s.GetSize(), 0);
    EXPECT_EQ(s.GetType(), Flags({Flags::eMagPhase}));
    EXPECT_EQ(s.GetSpectralRange(), 22050.f);
    EXPECT_EQ(s.GetScale().GetValue(), EScale::eLinear);
    EXPECT_EQ(Configured(513, Flags(), 22050.f).IndexFromFreq(1000.f), 23);
    // Three bins over 4 Hz: bins at 0, 2 and 4 Hz; 1 Hz and 3 Hz lie halfway: ties to even.
    const Spectrum t = Configured(3, Flags(), 4.f);
    EXPECT_EQ(t.IndexFromFreq(1.f), 0);
    EXPECT_EQ(t.IndexFromFreq(3.f), 2);
    EXPECT_EQ(t.IndexFromFreq(2.9f), 1);
}

TEST_F(SpectrumTest, ReadsComeFromTheFirstPresentRepresentation) {
    Spectrum s = Configured(5, Flags({Flags::eMagPhase}), 4.f);
    s.GetMagBuffer()[2] = 1.f;
    s.GetPhaseBuffer()[2] = 0.1f;
    s.SetType(Flags({Flags::eMagPhase, Flags::ePolar, Flags::eComplex}));
    EXPECT_EQ(s.GetComplexArray()[2], Complex(0.f, 0.f)); // sized, not converted
    s.GetPolarArray()[2] = Polar(2.f, 0.2f);
    s.GetComplexArray()[2] = Complex(0.f, 3.f);
    EXPECT_EQ(s.GetMag(2), 1.f);
    EXPECT_EQ(s.GetPhase(2.f), 0.1f); // 2 Hz is bin 2
    s.SetType(Flags({Flags::ePolar, Flags::eComplex}));
    EXPECT_EQ(s.GetMag(2), 2.f);
    EXPECT_EQ(s.GetPhase(2), 0.2f);
    s.SetType(Flags({Flags::eComplex}));
    EXPECT_NEAR(s.GetMag(2), 3.0, 3.0 * kSqrtRelTol);
    EXPECT_NEAR(s.GetPhase(2), kPi / 2, kAngleTol);
    // The buffers of a dropped representation are kept (stale), not released.
    s.SetSize(4);
    EXPECT_EQ(s.GetComplexArray().Size(), 4);
    EXPECT_EQ(s.GetMagBuffer().Size(), 5);
}

TEST_F(SpectrumTest, MagnitudeGoesEverywhereButPhaseOnlyToTheFirstRepresentation) {
    Spectrum s = Configured(4, Flags({Flags::eMagPhase, Flags::eComplex}));
    s.GetComplexArray()[1] = Complex(0.f, -2.f);
    s.SetPhase(1, 0.5f);
    EXPECT_EQ(s.GetPhaseBuffer()[1], 0.5f);
    EXPECT_EQ(s.GetComplexArray()[1], Complex(0.f, -2.f));
    s.SetMag(340.f, 4.f); // the nearest bin: 333.3 Hz per bin over 1000 Hz
    EXPECT_EQ(s.GetMagBuffer()[1], 4.f);
    // The complex bin keeps its angle (-pi/2) and takes the new length.
    EXPECT_NEAR(s.GetComplexArray()[1].Real(), 0.0, 4 * kSinCosTol);
    EXPECT_NEAR(s.GetComplexArray()[1].Imag(), -4.0, 4 * kSinCosTol);
}

TEST_F(SpectrumTest, EveryConversionPathAgreesWithTheExactArithmetic) {
    const int n = 257;
    const Spectrum reference = RandomMagPhase(n);
    Spectrum s = reference;
    s.SetTypeSynchronize(Flags({Flags::eMagPhase, Flags::eComplex, Flags::ePolar}));
    for (int i = 0; i < n; ++i) {
        const double m = reference.GetMagBuffer()[i], p = reference.GetPhaseBuffer()[i];
        EXPECT_NEAR(s.GetComplexArray()[i].Real(), m * std::cos(p), m * kSinCosTol) << i;
        EXPECT_NEAR(s.GetComplexArray()[i].Imag(), m * std::sin(p), m * kSinCosTol) << i;
        EXPECT_EQ(s.GetPolarArray()[i], Polar(m, p)) << i;
    }
    // Each single representation back to magnitude and phase, to the other representation
    // and to the break-point functions.
    for (unsigned from : {Flags::eComplex, Flags::ePolar}) {
        SCOPED_TRACE(from);
        Spectrum only = s;
        only.SetType(Flags({from}));
        // The buffers are stale now; clear them so that only a real conversion fills them.
        for (int i = 0; i < n; ++i)
            only.GetMagBuffer()[i] = only.GetPhaseBuffer()[i] = 0.f;
        const bool toPolar = from == Flags::eComplex;
        Spectrum back =
            Configured(n, Flags({Flags::eMagPhase, toPolar ? Flags::ePolar : Flags::eComplex}));
        back.SynchronizeTo(only);
        only.SetTypeSynchronize(Flags({Flags::eMagPhaseBPF}));
        ASSERT_EQ(only.GetBPFSize(), n);
        for (int i = 0; i < n; ++i) {
            ExpectNearBin(back.GetMagBuffer()[i], back.GetPhaseBuffer()[i], reference, i);
            if (toPolar)
                ExpectNearBin(back.GetPolarArray()[i].Mag(), back.GetPolarArray()[i].Ang(),
                              reference, i);
            else
                ExpectNearBin(back.GetComplexArray()[i].Mag(), back.GetComplexArray()[i].Ang(),
                              reference, i);
            ExpectNearBin(only.GetMagBPF().GetValueFromIndex(i),
                          only.GetPhaseBPF().GetValueFromIndex(i), reference, i);
            EXPECT_EQ(only.GetMagBPF().GetXValue(i), 1000.f * i / (n - 1)) << i;
        }
    }
}

TEST_F(SpectrumTest, SynchronizingChoosesTheSourceAndKeepsTheTargetType) {
    Spectrum source = RandomMagPhase(6);
    source.SetType(Flags({Flags::eMagPhase, Flags::eComplex})); // complex bins stay zero
    Spectrum target = Configured(6, Flags({Flags::ePolar}));
    target.SynchronizeTo(source); // magnitude and phase are preferred among several sources
    EXPECT_EQ(target.GetPolarArray()[2].Mag(), source.GetMagBuffer()[2]);
    target.SynchronizeTo(Flags({Flags::eComplex}), source); // naming the source overrides
    EXPECT_EQ(target.GetPolarArray()[2].Mag(), 0.f);

    source.SetTypeSynchronize(Flags({Flags::eMagPhaseBPF}));
    // Linear interpolation between the points at 400 and 600 Hz.
    EXPECT_FLOAT_EQ(source.GetMag(500.f), 0.5f * (source.GetMag(2) + source.GetMag(3)));
    const Flags wanted({Flags::eMagPhase, Flags::eComplex});
    Spectrum fromBPF = Configured(6, wanted);
    fromBPF.SynchronizeTo(source);
    EXPECT_EQ(fromBPF.GetType(), wanted);
    for (int i = 0; i < 6; ++i) { // the functions are read exactly at their points
        EXPECT_EQ(fromBPF.GetMagBuffer()[i], source.GetMagBPF().GetValueFromIndex(i));
        EXPECT_EQ(fromBPF.GetPhaseBuffer()[i], source.GetPhaseBPF().GetValueFromIndex(i));
        const double m = fromBPF.GetMagBuffer()[i];
        EXPECT_NEAR(fromBPF.GetComplexArray()[i].Mag(), m, m * kMagRelTol) << i;
    }
    Spectrum s = RandomMagPhase(3); // converting to complex alone leaves only that type
    s.SetTypeSynchronize(Flags({Flags::eComplex}));
    EXPECT_EQ(s.GetType(), Flags({Flags::eComplex}));
    Spectrum empty; // a spectrum without bins gets functions without points
    empty.SetTypeSynchronize(Flags({Flags::eMagPhaseBPF}));
    EXPECT_EQ(empty.GetMagBPF().Size(), 0);
}

TEST_F(SpectrumTest, MisuseIsRefusedAndChangesNothing) {
    Spectrum none = Configured(4, Flags(std::initializer_list<unsigned>{}));
    EXPECT_DSP_ASSERT(none.GetMag(1), "Spectrum::GetMag: Spectrum no initialized");
    // A source with fewer bins would be read past its end.
    const Spectrum small = RandomMagPhase(2);
    Spectrum big = Configured(4, Flags({Flags::ePolar, Flags::eComplex, Flags::eMagPhase}));
    const char* magPhaseMessage =
        "Spectrum: the source holds fewer magnitudes and phases than this spectrum";
    EXPECT_DSP_ASSERT(big.MagPhase2Polar(small), magPhaseMessage);
    EXPECT_DSP_ASSERT(big.MagPhase2Complex(small), magPhaseMessage);
    EXPECT_DSP_ASSERT(
        big.Complex2MagPhase(small),
        "Spectrum::Complex2MagPhase: the source holds fewer complex bins than this spectrum");
    EXPECT_EQ(big.GetMagBuffer()[3], 0.f);
    EXPECT_EQ(big.GetBPFSize(), 4);
}

TEST_F(SpectrumTest, DecibelScaleHasASilenceFloorAndRoundTrips) {
    Spectrum s = Configured(4, Flags({Flags::eMagPhase, Flags::ePolar, Flags::eMagPhaseBPF}));
    const float linear[] = {1.f, 1e-6f, 0.5f, 8.f};
    for (int i = 0; i < 4; ++i)
        s.SetMag(i, linear[i]);
    s.ToDB();
    s.ToDB(); // already dB: nothing changes
    EXPECT_EQ(s.GetScale().GetValue(), EScale::eLog);
    // The fast logarithm is within 2.4e-6 octaves, 1.5e-5 dB.
    const float expectedDb[] = {0.f, -200.f, -6.0206f, 18.0618f};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(s.GetMagBuffer()[i], expectedDb[i], 2e-5f) << i;
        EXPECT_EQ(s.GetPolarArray()[i].Mag(), s.GetMagBuffer()[i]) << i;
        EXPECT_EQ(s.GetMagBPF().GetValueFromIndex(i), s.GetMagBuffer()[i]) << i;
    }
    s.SetMag(1, -200.f);
    s.SetMag(3, 0.f);
    s.ToLinear();
    EXPECT_EQ(s.GetScale().GetValue(), EScale::eLinear);
    // Logarithm and power together stay within 1e-5 relative.
    const float expected[] = {1.f, 0.f, 0.5f, 1.f};
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(s.GetPolarArray()[i].Mag(), expected[i], expected[i] * 1e-5f) << i;

    Spectrum c = Configured(2, Flags({Flags::eComplex}));
    c.GetComplexArray()[1] = Complex(6.f, 8.f); // length 10: 20 dB; bin 0 is zero
    c.ToDB();
    EXPECT_EQ(c.GetComplexArray()[0], Complex(0.f, 0.f));
    // Square root (1.1e-5) and logarithm errors scale the 20 dB length.
    EXPECT_NEAR(c.GetComplexArray()[1].Real(), 12.0, 12.0 * 5e-5);
    EXPECT_NEAR(c.GetComplexArray()[1].Imag(), 16.0, 16.0 * 5e-5);
    c.ToLinear();
    EXPECT_EQ(c.GetComplexArray()[0], Complex(0.f, 0.f));
    EXPECT_NEAR(c.GetComplexArray()[1].Real(), 6.0, 6.0 * 1e-4);
    EXPECT_NEAR(c.GetComplexArray()[1].Imag(), 8.0, 8.0 * 1e-4);
}

template <typename T> DSP::Array<T> Of(const std::vector<T>& values) {
    DSP::Array<T> a(static_cast<int>(values.size()));
    std::copy(values.begin(), values.end(), a.GetPtr());
    return a;
}

// The free conversions size the arrays they write.
TEST_F(SpectrumTest, FreeConversionsSizeTheirOutputs) {
    const auto bins = Of<Complex>({{3.f, 4.f}, {0.f, 0.f}, {-1.f, 0.f}});
    DSP::Array<float> mag, phase(9);
    DSP::Complex2MagPhase(bins, mag, phase);
    EXPECT_EQ(std::make_pair(mag.Size(), phase.Size()), std::make_pair(3, 3));
    EXPECT_EQ(std::make_pair(mag[1], phase[1]), std::make_pair(0.f, 0.f));
    EXPECT_EQ(std::make_pair(mag[2], phase[2]), std::make_pair(1.f, -3.1415927f));
    DSP::Polar2MagPhase(Of<Polar>({{2.f, 0.5f}, {0.25f, -1.f}}), mag, phase);
    EXPECT_EQ(std::make_pair(mag[1], phase[1]), std::make_pair(0.25f, -1.f));
    EXPECT_EQ(std::make_pair(mag.Size(), phase.Size()), std::make_pair(2, 2));
    DSP::BPFTmpl<float, float> magBPF, phaseBPF;
    magBPF.Insert(0.f, 0.f);
    magBPF.Insert(100.f, 10.f);
    phaseBPF.Insert(0.f, 1.f);
    phaseBPF.Insert(100.f, 1.f);
    DSP::BPF2MagPhase(magBPF, phaseBPF, mag, phase, 5, 100.f);
    EXPECT_EQ(mag.Size(), 5);
    for (int i = 0; i < 5; ++i) // sampled at 0, 25, ... 100 Hz
        EXPECT_EQ(std::make_pair(mag[i], phase[i]), std::make_pair(2.5f * i, 1.f)) << i;
}

} // namespace
