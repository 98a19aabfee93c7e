#pragma once

#include "DSP/Data/Fundamental.hpp"
#include "DSP/Data/SpectralPeakArray.hpp"
#include "DSP/Data/Spectrum.hpp"
#include "DSP/Misc/Ports/AudioInPortPublisher.hpp"
#include "DSP/Misc/Ports/OutPortPublisher.hpp"
#include "DSP/Processing/Analysis/FundFreqDetect.hpp"
#include "DSP/Processing/Analysis/HLNAnalysisConfig.hpp"
#include "DSP/Processing/Analysis/SinTracking.hpp"
#include "DSP/Processing/Analysis/SpectralAnalysis.hpp"
#include "DSP/Processing/Analysis/SpectralPeakDetect.hpp"
#include "DSP/Processing/Analysis/SpectrumSubstracter2.hpp"
#include "DSP/Processing/Base/ProcessingComposite.hpp"
#include "DSP/Processing/Synthesis/SynthSineSpectrum.hpp"

namespace DSP {

/// The network of the harmonic analysis. "Input Audio" feeds two spectral analyses that
/// read windows of (window size - 1) samples centred on the same sample and advance by one
/// hop: the sinusoidal branch feeds peak detection, fundamental detection and harmonic
/// tracking; the spectrum of the tracked sinusoids is subtracted from the residual branch's.
/// Published outputs, one token per Do: "Sinusoidal Peaks" (dB, track id in the index table),
/// "Fundamental" (at most one candidate), "Residual Spectrum", "Sinusoidal Branch Spectrum"
/// and "Residual Branch Spectrum" (linear magnitude and phase).
///
/// Configure and Start on the owner's thread while stopped; Start needs an out-port attached
/// to "Input Audio" and centres its readers on its first sample. Do on the audio thread;
/// after Configure every stream token is sized for the configuration, so a Do allocates
/// nothing.
class HLNAnalysisCore : public ProcessingComposite {
public:
    HLNAnalysisCore();
    ~HLNAnalysisCore() override;

    const char* GetDSPClassName() const override { return "HLNAnalysisCore"; }
    const ProcessingConfig& GetConfig() const override { return mConfig; }

    /// One hop: false (nothing run) while either branch lacks a whole window, else runs every
    /// child once, in the order of the network, and returns true.
    bool Do() override;

    AudioInPortPublisher& GetInputAudio() { return mInputAudio; }
    /// How many spectral peaks the last Do found, before tracking (0 before the first).
    int GetDetectedPeakCount() const { return mDetectedPeakCount; }
    OutPortPublisher<SpectralPeakArray>& GetSinusoidalPeaks() { return mSinusoidalPeaks; }
    OutPortPublisher<Fundamental>& GetFundamental() { return mFundamental; }
    OutPortPublisher<Spectrum>& GetResidualSpectrum() { return mResidualSpectrum; }
    OutPortPublisher<Spectrum>& GetSinusoidalBranchSpectrum() { return mSinBranchSpectrum; }
    OutPortPublisher<Spectrum>& GetResidualBranchSpectrum() { return mResBranchSpectrum; }

protected:
    /// Copies the configuration and configures the children; always succeeds.
    bool ConcreteConfigure(const ProcessingConfig& config) override;
    /// Throws "HLNAnalysisCore::ConcreteStart in port 'Input' needs an attached out port, to
    /// start" when no out-port feeds the sinusoidal branch.
    bool ConcreteStart() override;

private:
    void InsertChildren();
    void Wire();
    void ConfigureChildren();
    void PresizeStreams();

    HLNAnalysisConfig mConfig;
    SpectralAnalysis mSinSpectralAnalysis;
    SpectralAnalysis mResSpectralAnalysis;
    SpectralPeakDetect mPeakDetect;
    FundFreqDetect mFundFreqDetect;
    SinTracking mSinTracking;
    SynthSineSpectrum mSynthSineSpectrum;
    SpectrumSubstracter2 mSpectrumSubstracter;
    AudioInPortPublisher mInputAudio;
    OutPortPublisher<SpectralPeakArray> mSinusoidalPeaks;
    OutPortPublisher<Fundamental> mFundamental;
    OutPortPublisher<Spectrum> mResidualSpectrum;
    OutPortPublisher<Spectrum> mSinBranchSpectrum;
    OutPortPublisher<Spectrum> mResBranchSpectrum;
    int mDetectedPeakCount = 0;
};

} // namespace DSP
