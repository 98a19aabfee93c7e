#pragma once

// Spectra and a fixture for the short-time effect tests: n-bin linear magnitude/phase spectra
// filled from functions of the bin, spectra whose buffers live inside guard zones so that a
// write outside 0 … n − 1 shows up, and an effect started at 44.1 kHz with a hop of 256.

#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Data/Spectrum.hpp"
#include "DSP/Processing/Transformations/FrameTransformationConfig.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

inline constexpr int kEngineBins = 513;

inline DSP::Spectrum MakeSpectrum(int bins, float magnitude = 0.f, float phase = 0.f) {
    DSP::SpectrumConfig config;
    config.SetSize(bins);
    config.SetSpectralRange(GlobalProcessInfo::GetSpectralRange());
    DSP::Spectrum spectrum(config);
    for (int k = 0; k < bins; ++k) {
        spectrum.GetMagBuffer()[k] = magnitude;
        spectrum.GetPhaseBuffer()[k] = phase;
    }
    return spectrum;
}

inline void Fill(DSP::Spectrum& spectrum, const std::function<float(int)>& magnitude,
                 const std::function<float(int)>& phase) {
    for (int k = 0; k < spectrum.GetSize(); ++k) {
        spectrum.GetMagBuffer()[k] = magnitude(k);
        spectrum.GetPhaseBuffer()[k] = phase(k);
    }
}

// The bins of a buffer, for whole-spectrum comparisons.
inline std::vector<float> Bins(const DSP::Array<float>& buffer) {
    return std::vector<float>(buffer.GetPtr(), buffer.GetPtr() + buffer.Size());
}
inline void ExpectSameSpectrum(const DSP::Spectrum& actual, const DSP::Spectrum& expected) {
    EXPECT_EQ(Bins(actual.GetMagBuffer()), Bins(expected.GetMagBuffer()));
    EXPECT_EQ(Bins(actual.GetPhaseBuffer()), Bins(expected.GetPhaseBuffer()));
}

// Sets the process values the effects read (and restores the previous ones at the end).
class ProcessValues {
public:
    explicit ProcessValues(float sampleRateHz = 44100.f)
        : mRate(GlobalProcessInfo::GetSampleRate()), mHop(GlobalProcessInfo::GetFrameSize()) {
        GlobalProcessInfo::SetSampleRate(sampleRateHz);
        GlobalProcessInfo::SetFrameSize(256.f);
    }
    ~ProcessValues() {
        GlobalProcessInfo::SetSampleRate(mRate);
        GlobalProcessInfo::SetFrameSize(mHop);
    }

private:
    float mRate;
    float mHop;
};

// The fast power of two behind the dB conversion is within 4.5e-6 relative of 10^(dB / 20)
// over the −90 … 30 dB of the document (measured in 0.01 dB steps); crossfade and edge
// factors add one single-precision rounding.
inline constexpr double kDbRelativeTolerance = 1e-5;
inline double Linear(double db) {
    return std::pow(10.0, db / 20.0);
}
// An oscillator rate of a quarter turn per 256-sample hop at 44100 Hz.
inline constexpr float kQuarterTurnPerHopHz = 44100.f / 1024.f;

// An effect configured and started at 44.1 kHz, fed frame by frame.
template <class Effect> class EffectTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(effect.Configure(DSP::FrameTransformationConfig()));
        effect.Start();
    }
    void Set(const std::string& control, float value) {
        effect.GetInControls().Get(control).DoControl(value);
    }
    DSP::Spectrum Step(const DSP::Spectrum& in) {
        DSP::Spectrum out = MakeSpectrum(in.GetSize());
        effect.Do(in, out);
        return out;
    }
    float Step(const DSP::Spectrum& in, int bin) { return Step(in).GetMagBuffer()[bin]; }
    // One frame of `in` through an effect that scales magnitudes and leaves phases alone: the
    // factor each bin's magnitude was scaled by.
    std::vector<double> Factors(const DSP::Spectrum& in) {
        const DSP::Spectrum out = Step(in);
        EXPECT_EQ(Bins(out.GetPhaseBuffer()), Bins(in.GetPhaseBuffer()));
        std::vector<double> factors;
        for (int k = 0; k < in.GetSize(); ++k)
            factors.push_back(static_cast<double>(out.GetMagBuffer()[k]) / in.GetMagBuffer()[k]);
        return factors;
    }

    ProcessValues process;
    Effect effect;
};

// A spectrum whose magnitude and phase buffers borrow the middle of larger blocks filled with
// a guard value; Intact() tells whether anything wrote outside the n bins.
class GuardedSpectrum {
public:
    explicit GuardedSpectrum(int bins)
        : mMag(bins + 2 * kGuard, kGuardValue), mPhase(bins + 2 * kGuard, kGuardValue) {
        DSP::SpectrumConfig config;
        config.SetSpectralRange(GlobalProcessInfo::GetSpectralRange());
        mSpectrum.Configure(config);
        mSpectrum.SetSize(bins);
        for (auto [buffer, block] : {std::pair{&mSpectrum.GetMagBuffer(), &mMag},
                                     std::pair{&mSpectrum.GetPhaseBuffer(), &mPhase}}) {
            buffer->Resize(0);
            buffer->SetPtr(block->data() + kGuard, bins);
        }
    }

    DSP::Spectrum& Get() { return mSpectrum; }

    bool Intact() const {
        for (const std::vector<float>* block : {&mMag, &mPhase}) {
            const int n = static_cast<int>(block->size());
            for (int i = 0; i < kGuard; ++i)
                if ((*block)[i] != kGuardValue || (*block)[n - 1 - i] != kGuardValue)
                    return false;
        }
        return true;
    }

private:
    static constexpr int kGuard = 4096;
    static constexpr float kGuardValue = -12345.f;
    std::vector<float> mMag;
    std::vector<float> mPhase;
    DSP::Spectrum mSpectrum;
};
