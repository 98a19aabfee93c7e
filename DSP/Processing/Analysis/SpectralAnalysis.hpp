#pragma once

#include "DSP/Data/Audio.hpp"
#include "DSP/Data/Frame.hpp"
#include "DSP/Data/Spectrum.hpp"
#include "DSP/Misc/Ports/AudioInPort.hpp"
#include "DSP/Misc/Ports/OutPort.hpp"
#include "DSP/Processing/Analysis/CircularShift.hpp"
#include "DSP/Processing/Analysis/FFT_ooura.hpp"
#include "DSP/Processing/Analysis/SpectralAnalysisConfig.hpp"
#include "DSP/Processing/Analysis/WindowGenerator.hpp"
#include "DSP/Processing/Base/ProcessingComposite.hpp"

namespace DSP {

/// One frame of samples in, one magnitude/phase spectrum out.
///
/// Per Do: the first WindowSize - 1 input samples are windowed (the window sums to 2, so a
/// steady sinusoid of amplitude A centred on a bin shows a magnitude of about A), rotated so
/// the window's centre is sample 0, and transformed: FFTSize / 2 + 1 bins, DC at bin 0, half
/// the sample rate at the last bin. Do allocates nothing; everything is sized in Configure.
/// Configure and Start on the owner's thread while stopped, Do on the audio thread.
class SpectralAnalysis : public ProcessingComposite {
public:
    SpectralAnalysis();
    explicit SpectralAnalysis(const SpectralAnalysisConfig& config);
    ~SpectralAnalysis() override;

    const char* GetDSPClassName() const override { return "SpectralAnalysis"; }
    const ProcessingConfig& GetConfig() const override { return mConfig; }

    /// Analyses `in` (WindowSize samples when fed by the engine; samples beyond FFTSize + 1
    /// are ignored) into `out`, which must hold room for FFTSize / 2 + 1 bins.
    bool Do(const Audio& in, Spectrum& out);
    /// The frame's audio frame into its main spectrum.
    bool Do(Frame& frame);
    bool Do() override;

    AudioInPort& GetInput() { return mInput; }
    OutPort<Spectrum>& GetOutput() { return mOutput; }

protected:
    bool ConcreteConfigure(const ProcessingConfig& config) override;

private:
    void AttachChildren();
    void ConfigureData();

    SpectralAnalysisConfig mConfig;
    WindowGenerator mWindowGenerator;
    CircularShift mCircularShift;
    FFT_ooura mFFT;
    Audio mAudioFrame;
    Audio mWindow; // WindowSize - 1 window samples, then zeros up to FFTSize
    Spectrum mPrototypeSpectrum;
    AudioInPort mInput;
    OutPort<Spectrum> mOutput;
};

} // namespace DSP
