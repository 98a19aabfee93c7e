#pragma once

#include "DSP/Processing/Analysis/EWindowType.hpp"
#include "DSP/Processing/Base/ProcessingConfig.hpp"
#include "DSP/Processing/Synthesis/OverlapAdd.hpp"
#include "DSP/Processing/Synthesis/PhaseManagementConfig.hpp"
#include "DSP/Processing/Synthesis/SpectralSynthesisConfig.hpp"
#include "DSP/Processing/Synthesis/SynthSineSpectrumConfig.hpp"

namespace DSP {

class HLNAnalysisConfig;

/// The settings of the harmonic synthesis: the analysis window its spectra come from (which
/// fixes their bin count, the spectrum size), the hop of the spectral syntheses and the frame
/// size of the three overlap-adds, which always share it. The sinusoids are synthesized
/// with the spectrum size's bins, so that they add bin by bin to the residual.
class HLNSynthesisConfig : public ProcessingConfig {
public:
    /// Analysis window "BlackmanHarris92" of 1025 samples, hop 256, frame size 256.
    HLNSynthesisConfig();
    const char* GetDSPClassName() const override { return "HLNSynthesisConfig"; }

    /// The synthesis that undoes analysis's residual branch, at its hop: what the engine runs.
    static HLNSynthesisConfig ForAnalysis(const HLNAnalysisConfig& analysis);
    /// ForAnalysis(HLNAnalysisConfig::EngineDefaults()).
    static HLNSynthesisConfig EngineDefaults();

    /// Odd sizes only: an even one throws "Window size must be odd" and changes nothing.
    /// Also sets the spectrum size to (inverse transform size) / 2 + 1.
    void SetAnalWindowSize(int samples);
    int GetAnalWindowSize() const { return mSpectralSynthesis.GetAnalWindowSize(); }
    /// Odd sizes only, as SetAnalWindowSize.
    void SetSynthWindowSize(int samples);
    int GetSynthWindowSize() const { return mSpectralSynthesis.GetSynthWindowSize(); }
    void SetAnalWindowType(const EWindowType& type) { mSpectralSynthesis.SetAnalWindowType(type); }
    const EWindowType& GetAnalWindowType() const { return mSpectralSynthesis.GetAnalWindowType(); }
    void SetHopSize(int samples) { mSpectralSynthesis.SetHopSize(samples); }
    int GetHopSize() const { return mSpectralSynthesis.GetHopSize(); }
    void SetFrameSize(int samples);
    int GetFrameSize() const { return mOverlapAdd[0].GetHopSize(); }
    void SetSpectrumSize(int bins);
    int GetSpectrumSize() const { return mSpectrumSize; }

    const SynthSineSpectrumConfig& GetSynthSineSpectrum() const { return mSynthSineSpectrum; }
    PhaseManagementConfig& GetPhaseManagement() { return mPhaseManagement; }
    const PhaseManagementConfig& GetPhaseManagement() const { return mPhaseManagement; }
    const SpectralSynthesisConfig& GetSpectralSynthesis() const { return mSpectralSynthesis; }
    /// Sinusoidal, residual and total overlap-add (the same hop).
    const OverlapAddConfig& GetOverlapAdd(int which) const { return mOverlapAdd[which]; }

private:
    int mSpectrumSize = 0;
    SynthSineSpectrumConfig mSynthSineSpectrum;
    PhaseManagementConfig mPhaseManagement;
    SpectralSynthesisConfig mSpectralSynthesis;
    OverlapAddConfig mOverlapAdd[3];
};

} // namespace DSP
