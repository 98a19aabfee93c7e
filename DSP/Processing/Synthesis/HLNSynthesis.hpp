#pragma once

#include "DSP/Data/Audio.hpp"
#include "DSP/Data/Frame.hpp"
#include "DSP/Data/SpectralPeakArray.hpp"
#include "DSP/Data/Spectrum.hpp"
#include "DSP/Misc/Ports/AudioOutPort.hpp"
#include "DSP/Misc/Ports/InPort.hpp"
#include "DSP/Misc/Ports/OutPort.hpp"
#include "DSP/Processing/Base/InControl.hpp"
#include "DSP/Processing/Base/ProcessingComposite.hpp"
#include "DSP/Processing/Synthesis/HLNSynthesisConfig.hpp"
#include "DSP/Processing/Synthesis/OverlapAdd.hpp"
#include "DSP/Processing/Synthesis/PhaseManagement.hpp"
#include "DSP/Processing/Synthesis/SpectralSynthesis.hpp"
#include "DSP/Processing/Synthesis/SynthSineSpectrum.hpp"

namespace DSP {

/// Input sample n of the harmonic analysis (HLNAnalysisConfig::EngineDefaults) comes out of
/// this synthesis (HLNSynthesisConfig::EngineDefaults) at output sample
/// n + kHLNChainLatencySamples, counting both from the first hop fed to the analysis, with
/// every hop's output taken whether the analysis reported a frame or not: the analysis frame
/// is centred 768 samples before its hop starts, and the overlap-add completes the samples
/// up to 256 before the frame's centre.
inline constexpr int kHLNChainLatencySamples = 1024;

/// The harmonic synthesis: one analysis frame (peaks, residual spectrum) in, one hop of
/// audio out, for the sum and for the sinusoids and the residual apart.
///
/// Per Do: the peaks get continuous phases (their phases are rewritten), their spectrum is
/// built at unit gain and added to the residual spectrum, and the three spectra are
/// synthesized and overlap-added into frame-size blocks. Non-finite peak values and synthesized
/// samples are replaced by 0 before they reach the phase memory and the overlap-add buffers.
/// Configure on the owner's thread while stopped; Do on the audio thread, where it allocates
/// nothing once the frame has the sizes PrepareFrame gives it. "CurrentTime" and
/// "CurrentPitch" may be written from another thread.
class HLNSynthesis : public ProcessingComposite {
public:
    HLNSynthesis();
    explicit HLNSynthesis(const HLNSynthesisConfig& config);
    ~HLNSynthesis() override;

    const char* GetDSPClassName() const override { return "HLNSynthesis"; }
    const ProcessingConfig& GetConfig() const override { return mConfig; }

    /// One hop from the frame into its synthesized, sinusoidal and residual audio frames and
    /// its synthesized and sinusoidal spectra; false (nothing done) for a negative centre
    /// time. A frame whose sinusoidal spectrum is ready is synthesized from that spectrum.
    bool Do(Frame& frame);
    /// The path from peaks: rewrites the peaks' phases, fills sinSpectrum and sumSpectrum
    /// (= sinSpectrum + res) and writes one frame size of samples to each audio block.
    bool Do(SpectralPeakArray& peaks, Spectrum& res, Spectrum& sinSpectrum, Spectrum& sumSpectrum,
            Audio& out, Audio& sinOut, Audio& resOut);
    /// The path from a sinusoidal spectrum already built: no phase management, and the
    /// count of frames synthesized from peaks does not change.
    bool Do(Spectrum& sinSpectrum, Spectrum& res, Spectrum& sumSpectrum, Audio& out, Audio& sinOut,
            Audio& resOut);
    /// The path from peaks on the ports' data; consumes both inputs, produces all outputs.
    bool Do() override;

    /// out = a + b as complex spectra (linear magnitude and phase), over a's bins.
    static void AddSpectrums(Spectrum& a, Spectrum& b, Spectrum& out);

    /// Gives a frame the spectrum and audio sizes a Do writes. For the owner's thread.
    void PrepareFrame(Frame& frame) const;

    /// Whether each Do also synthesizes the sinusoids and the residual on their own, into
    /// the sinusoidal and residual audio blocks (yes unless told otherwise). The sum does
    /// not depend on them: an owner that reads only the sum saves two of the three inverse
    /// transforms, and those blocks are then left as they are. Set it before the first Do.
    void SetSynthesizesParts(bool parts) { mSynthesizesParts = parts; }

    InControl& GetCurrentTimeControl() { return mCurrentTime; }
    InControl& GetCurrentPitchControl() { return mCurrentPitch; }
    InPort<SpectralPeakArray>& GetInputSinPeaks() { return mInputSinPeaks; }
    InPort<Spectrum>& GetInputResSpectrum() { return mInputResSpectrum; }
    OutPort<Spectrum>& GetOutputSinSpectrum() { return mOutputSinSpectrum; }
    OutPort<Spectrum>& GetOutputSpectrum() { return mOutputSpectrum; }
    AudioOutPort& GetOutputAudio() { return mOutputAudio; }
    AudioOutPort& GetOutputResAudio() { return mOutputResAudio; }
    AudioOutPort& GetOutputSinAudio() { return mOutputSinAudio; }

protected:
    /// Configures the children, restarts the phase management, sizes the ports and sends -1
    /// to "CurrentTime" (time then counts in frames). Always succeeds.
    bool ConcreteConfigure(const ProcessingConfig& config) override;

private:
    void InsertChildren();
    /// Spectral synthesis of spectrum, then overlap-add into out.
    void SynthesizeHop(SpectralSynthesis& synthesis, const Spectrum& spectrum,
                       OverlapAdd& overlapAdd, Audio& out);
    /// Steps shared by both paths once the sinusoidal spectrum exists.
    void SynthesizeFromSpectra(Spectrum& sinSpectrum, Spectrum& res, Spectrum& sumSpectrum,
                               Audio& out, Audio& sinOut, Audio& resOut);

    HLNSynthesisConfig mConfig;
    SpectralSynthesis mSinSpectralSynthesis;
    SpectralSynthesis mResSpectralSynthesis;
    SpectralSynthesis mSpectralSynthesis;
    SynthSineSpectrum mSynthSineSpectrum;
    PhaseManagement mPhaseManagement;
    OverlapAdd mSinOverlapAdd;
    OverlapAdd mResOverlapAdd;
    OverlapAdd mOverlapAdd;
    Audio mWorkAudio; // one spectral synthesis block: 2 * hop samples
    unsigned long mFramesFromPeaks = 0;
    bool mSynthesizesParts = true;

    InPort<SpectralPeakArray> mInputSinPeaks;
    InPort<Spectrum> mInputResSpectrum;
    OutPort<Spectrum> mOutputSinSpectrum;
    OutPort<Spectrum> mOutputSpectrum;
    AudioOutPort mOutputAudio;
    AudioOutPort mOutputResAudio;
    AudioOutPort mOutputSinAudio;
    InControl mCurrentTime;
    InControl mCurrentPitch;
};

} // namespace DSP
