#pragma once

#include "DSP/Data/Frame.hpp"
#include "DSP/Misc/Ports/AudioOutPort.hpp"
#include "DSP/Processing/Analysis/HLNAnalysisConfig.hpp"
#include "DSP/Processing/Analysis/HLNAnalysisCore.hpp"
#include "DSP/Processing/Base/ProcessingComposite.hpp"

namespace DSP {

/// Where the frame that a hop reports sits in the input, with the settings of
/// HLNAnalysisConfig::EngineDefaults. Positions count input samples fed to Do(Frame&) from
/// the first hop after Start (sample 0) on; the hop whose audio frame starts at sample s
/// reports frames centred on sample s + kHLNAnalysisCentreOffsetSamples: the hop's last
/// sample lies (sinusoidal window size - 1) / 2 = 1024 samples after the centre, which is
/// where the stream is centred. The first three hops report nothing.
inline constexpr int kHLNAnalysisCentreOffsetSamples = -768;

/// The harmonic analysis as the engine calls it: one hop of input samples in a Frame, the
/// sinusoidal-plus-residual model of the frame centred 768 samples before that hop out.
///
/// Per Do(Frame&): the frame's audio frame (hop size samples; non-finite samples enter as
/// 0) is appended to the analysis stream; once both branches have a whole window, the frame
/// receives its sinusoidal-branch spectrum, residual spectrum, main spectrum (the
/// residual-branch spectrum), fundamental (capacity 1) and tracked peaks, and is voiced when
/// the fundamental is above 0 Hz. Copies reuse the frame's storage (PrepareFrame sizes it).
/// Configure and Start on the owner's thread while stopped; Do on the audio thread, where it
/// allocates nothing.
class HLNAnalysis : public ProcessingComposite {
public:
    HLNAnalysis();
    explicit HLNAnalysis(const HLNAnalysisConfig& config);
    ~HLNAnalysis() override;

    const char* GetDSPClassName() const override { return "HLNAnalysis"; }
    const ProcessingConfig& GetConfig() const override { return mConfig; }

    /// Analyses one hop; true when the core ran. On false the frame's analysis members and
    /// voiced flag are left as they were.
    bool Do(Frame& frame);
    /// Runs the core on the data already in its ports.
    bool Do() override;

    /// Gives a frame's analysis members and audio frame the sizes a Do writes, so that the
    /// first copies into it allocate nothing. For the owner's thread, after Configure.
    void PrepareFrame(Frame& frame) const;

    AudioOutPort& GetAudioProvider() { return mAudioProvider; }
    HLNAnalysisCore& GetCore() { return mCore; }

protected:
    /// Copies the configuration, configures the core and gives "Audio provider" a window and
    /// hop of one hop. Always succeeds.
    bool ConcreteConfigure(const ProcessingConfig& config) override;

private:
    void FeedAudio(const Audio& hop);
    void CopyResults(Frame& frame);

    HLNAnalysisConfig mConfig;
    HLNAnalysisCore mCore;
    AudioOutPort mAudioProvider;
};

} // namespace DSP
