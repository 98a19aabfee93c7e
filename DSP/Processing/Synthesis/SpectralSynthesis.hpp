#pragma once

#include "DSP/Data/Audio.hpp"
#include "DSP/Data/Frame.hpp"
#include "DSP/Data/Spectrum.hpp"
#include "DSP/Misc/Ports/AudioOutPort.hpp"
#include "DSP/Misc/Ports/InPort.hpp"
#include "DSP/Processing/Analysis/BinaryAudioOp.hpp"
#include "DSP/Processing/Analysis/CircularShift.hpp"
#include "DSP/Processing/Analysis/WindowGenerator.hpp"
#include "DSP/Processing/Base/ProcessingComposite.hpp"
#include "DSP/Processing/Synthesis/IFFT_ooura.hpp"
#include "DSP/Processing/Synthesis/SpectralSynthesisConfig.hpp"

namespace DSP {

/// One spectrum in, 2h samples out, ready for overlap-add at hop h.
///
/// Per Do: inverse transform, rotation back by AnalWindowSize / 2, then the central 2h samples
/// of the frame times the synthesis window, which divides out the analysis window and applies
/// a triangle: a spectrum left as analysed gives out[i] = x[c - h + i] * i / h rising and
/// falling, c the frame's centre. Do allocates nothing; everything is sized in Configure.
/// Configure on the owner's thread while stopped, Do on the audio thread.
class SpectralSynthesis : public ProcessingComposite {
public:
    SpectralSynthesis();
    explicit SpectralSynthesis(const SpectralSynthesisConfig& config);
    ~SpectralSynthesis() override;

    const char* GetDSPClassName() const override { return "SpectralSynthesis"; }
    const ProcessingConfig& GetConfig() const override { return mConfig; }

    /// `in` holds IFFTSize / 2 + 1 bins; `out` must hold at least 2h samples.
    bool Do(const Spectrum& in, Audio& out);
    /// The frame's main spectrum into its audio frame with UseMainSpectrum, otherwise its
    /// residual spectrum into its residual audio frame.
    bool Do(Frame& frame);
    bool Do() override;

    /// The 2h-sample synthesis window.
    const Audio& GetSynthesisWindow() const { return mSynthWindow; }
    InPort<Spectrum>& GetInput() { return mInput; }
    AudioOutPort& GetOutput() { return mOutput; }

    static int CalculatePowerOfTwo(int x) { return SpectralSynthesisConfig::PowerOfTwo(x); }

protected:
    bool ConcreteConfigure(const ProcessingConfig& config) override;

private:
    void AttachChildren();
    bool ConfigureChildren();
    void ConfigureData();

    SpectralSynthesisConfig mConfig;
    Audio mIFFTOutput;
    Audio mChunk;
    Audio mSynthWindow;
    WindowGenerator mAnalWindowGenerator;
    WindowGenerator mSynthWindowGenerator;
    IFFT_ooura mIFFT;
    BinaryAudioOp<Multiply<float>> mMultiplier;
    CircularShift mCircularShift;
    InPort<Spectrum> mInput;
    AudioOutPort mOutput;
};

} // namespace DSP
