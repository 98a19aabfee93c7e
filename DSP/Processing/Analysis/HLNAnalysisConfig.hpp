#pragma once

#include "DSP/Processing/Analysis/EWindowType.hpp"
#include "DSP/Processing/Analysis/FundFreqDetectConfig.hpp"
#include "DSP/Processing/Analysis/SinTrackingConfig.hpp"
#include "DSP/Processing/Analysis/SpectralAnalysisConfig.hpp"
#include "DSP/Processing/Analysis/SpectralPeakDetectConfig.hpp"
#include "DSP/Processing/Base/ProcessingConfig.hpp"
#include "DSP/Processing/Synthesis/PhaseManagementConfig.hpp"
#include "DSP/Processing/Synthesis/SynthSineSpectrumConfig.hpp"

namespace DSP {

/// The settings of the harmonic analysis: a long-window sinusoidal branch (peaks,
/// fundamental, tracks) and a shorter-window residual branch, both advancing by one hop,
/// and the settings of the children that work on them.
///
/// The residual branch's transform size fixes the bin count of the synthesized sinusoidal
/// spectrum that is subtracted from it: the residual setters keep the sine-spectrum
/// configuration's SpectrumSize (transform size / 2 + 1) and ZeroPadding in step. Window
/// sizes must be odd ("Window size must be odd", from the spectral analysis configuration).
class HLNAnalysisConfig : public ProcessingConfig {
public:
    /// DefaultInit: a 2049-sample "Hamming" sinusoidal window without zero padding, a
    /// 1025-sample "BlackmanHarris92" residual window, a hop of 256 samples and a peak
    /// threshold of -60 dB; every other field keeps its own default.
    HLNAnalysisConfig();
    const char* GetDSPClassName() const override { return "HLNAnalysisConfig"; }

    /// The one configuration the engine, the command line and the benchmarks run: both
    /// windows "BlackmanHarris92" (2049 and 1025 samples, no zero padding), hop 256, peaks
    /// above -80 dB up to 6000 Hz, harmonic tracking, fundamentals from 50 to 6000 Hz with
    /// 1000 Hz as the first reference.
    static HLNAnalysisConfig EngineDefaults();

    void SetSinWindowSize(int samples) { mSinSpectralAnalysis.SetWindowSize(samples); }
    int GetSinWindowSize() const { return mSinSpectralAnalysis.GetWindowSize(); }
    void SetSinWindowType(const EWindowType& type) { mSinSpectralAnalysis.SetWindowType(type); }
    const EWindowType& GetSinWindowType() const { return mSinSpectralAnalysis.GetWindowType(); }
    void SetSinZeroPadding(int exponent) { mSinSpectralAnalysis.SetZeroPadding(exponent); }
    int GetSinZeroPadding() const { return mSinSpectralAnalysis.GetZeroPadding(); }

    void SetResWindowSize(int samples);
    int GetResWindowSize() const { return mResSpectralAnalysis.GetWindowSize(); }
    void SetResWindowType(const EWindowType& type) { mResSpectralAnalysis.SetWindowType(type); }
    const EWindowType& GetResWindowType() const { return mResSpectralAnalysis.GetWindowType(); }
    void SetResZeroPadding(int exponent);
    int GetResZeroPadding() const { return mResSpectralAnalysis.GetZeroPadding(); }

    /// Sets the hop of both branches; read back from the sinusoidal branch.
    void SetHopSize(int samples);
    int GetHopSize() const { return mSinSpectralAnalysis.GetHopSize(); }

    SpectralAnalysisConfig& GetSinSpectralAnalysis() { return mSinSpectralAnalysis; }
    const SpectralAnalysisConfig& GetSinSpectralAnalysis() const { return mSinSpectralAnalysis; }
    SpectralAnalysisConfig& GetResSpectralAnalysis() { return mResSpectralAnalysis; }
    const SpectralAnalysisConfig& GetResSpectralAnalysis() const { return mResSpectralAnalysis; }
    SpectralPeakDetectConfig& GetPeakDetect() { return mPeakDetect; }
    const SpectralPeakDetectConfig& GetPeakDetect() const { return mPeakDetect; }
    FundFreqDetectConfig& GetFundFreqDetect() { return mFundFreqDetect; }
    const FundFreqDetectConfig& GetFundFreqDetect() const { return mFundFreqDetect; }
    SinTrackingConfig& GetSinTracking() { return mSinTracking; }
    const SinTrackingConfig& GetSinTracking() const { return mSinTracking; }
    SynthSineSpectrumConfig& GetSynthSineSpectrum() { return mSynthSineSpectrum; }
    const SynthSineSpectrumConfig& GetSynthSineSpectrum() const { return mSynthSineSpectrum; }
    PhaseManagementConfig& GetPhaseManagement() { return mPhaseManagement; }
    const PhaseManagementConfig& GetPhaseManagement() const { return mPhaseManagement; }

private:
    void KeepSineSpectrumInStep();

    SpectralAnalysisConfig mSinSpectralAnalysis;
    SpectralAnalysisConfig mResSpectralAnalysis;
    SpectralPeakDetectConfig mPeakDetect;
    FundFreqDetectConfig mFundFreqDetect;
    SinTrackingConfig mSinTracking;
    SynthSineSpectrumConfig mSynthSineSpectrum;
    PhaseManagementConfig mPhaseManagement;
};

} // namespace DSP
