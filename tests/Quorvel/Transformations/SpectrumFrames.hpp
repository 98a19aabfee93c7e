#pragma once

// Spectra for the short-time effect tests: n-bin linear magnitude/phase spectra filled from
// functions of the bin, and spectra whose buffers live inside guard zones so that a write
// outside 0 … n − 1 shows up.

#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Data/Spectrum.hpp"

#include <cmath>
#include <functional>
#include <limits>
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

// Sets the process values the effects read (and restores the previous ones at the end).
class ProcessValues {
public:
    ProcessValues(float sampleRateHz = 44100.f, float hopSamples = 256.f)
        : mRate(GlobalProcessInfo::GetSampleRate()), mHop(GlobalProcessInfo::GetFrameSize()) {
        GlobalProcessInfo::SetSampleRate(sampleRateHz);
        GlobalProcessInfo::SetFrameSize(hopSamples);
    }
    ~ProcessValues() {
        GlobalProcessInfo::SetSampleRate(mRate);
        GlobalProcessInfo::SetFrameSize(mHop);
    }

private:
    float mRate;
    float mHop;
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
            for (int k = 0; k < bins; ++k)
                (*buffer)[k] = 0.f;
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
