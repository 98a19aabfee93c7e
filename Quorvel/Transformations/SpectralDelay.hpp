#pragma once

#include "DSP/Data/Spectrum.hpp"
#include "DSP/Processing/Base/InControl.hpp"
#include "DSP/Processing/Transformations/FrameTransformationTmpl.hpp"
#include "Quorvel/Transformations/TokenDelay.hpp"

#include <array>

namespace DSP {

// The spectral-delay program: splits each short-time spectrum into three bands at two cutoff
// frequencies and passes each band through its own delay line with feedback, so that low,
// middle and high frequencies echo at different times.
//
// Do(in, out) takes one linear magnitude/phase spectrum of n bins (513 in the engine) and
// writes every bin of out's magnitude and phase buffers. Controls, set by name in these units:
// "LowCutoff", "HighCutoff" (Hz), "LowDelay", "MidDelay", "HighDelay" (ms), "LowFeedback",
// "MidFeedback", "HighFeedback" (percent). None is clamped here except where noted in the
// source (delays beyond the line's reach, cutoffs beyond the spectrum).
//
// Each band is a feedback comb in frame time: with s the line's content and x the input,
// s[t] = g·s[t − d] + (1 − g)·x[t] and the band's output is s[t − d]: the first echo has gain
// 1 − g and each further echo g times the previous one. A band whose delay is 0 or negative
// passes its bins through and leaves its line as it is.
//
// Real time: Configure sizes everything for 513-bin spectra (3000 spectra per line); Do then
// never allocates. A spectrum of another bin count re-sizes (and empties) the lines once, on
// the calling thread. Controls may be written from any thread.
class SpectralDelay : public FrameTransformationTmpl<Spectrum> {
public:
    // The capacity of each band's line, in frames (about 17.4 s at 44.1 kHz, hop 256).
    static constexpr std::uint32_t kMaxDelayFrames = 3000;

    SpectralDelay();

    const char* GetDSPClassName() const override { return "SpectralDelay"; }

    bool Do(const Spectrum& in, Spectrum& out) override;
    bool Do() override { return DoWithPorts(mInput, mOutput); }
    using FrameTransformationTmpl<Spectrum>::Do;

    // LowCutoff 500, HighCutoff 2000, LowDelay 300, MidDelay 500, HighDelay 100, and 30 % for
    // the three feedbacks. The lines keep their content.
    bool InitControls() override;

protected:
    // Empties the three lines (initial delay 0, capacity 3000) and sizes every spectrum.
    bool ConcreteConfigure(const ProcessingConfig& config) override;

private:
    // One band's controls (owned by the effect) and its delay line.
    struct Band {
        InControl* delayMs = nullptr;
        InControl* feedbackPercent = nullptr;
        TokenDelay<Spectrum> line;
    };

    // Sizes the work and feed spectra and every slot of the three lines for nBins bins, which
    // also empties the lines.
    void PrepareForBins(int nBins);
    // Runs one band whose delay is positive: mixes the feed, stores it and writes the delayed
    // spectrum into out's bins [begin, end).
    void DelayBand(Band& band, float feedback, int begin, int end, Spectrum& out);

    InControl mLowCutoff{"LowCutoff", this};
    InControl mHighCutoff{"HighCutoff", this};
    InControl mLowDelay{"LowDelay", this};
    InControl mMidDelay{"MidDelay", this};
    InControl mHighDelay{"HighDelay", this};
    InControl mLowFeedback{"LowFeedback", this};
    InControl mMidFeedback{"MidFeedback", this};
    InControl mHighFeedback{"HighFeedback", this};
    InPort<Spectrum> mInput{"In Spectrum", this};
    OutPort<Spectrum> mOutput{"Out Spectrum", this};
    // The current input in complex form, and what is written into a line.
    Spectrum mWork;
    Spectrum mFeed;
    std::array<Band, 3> mBands;
    int mPreparedBins = 0;
};

} // namespace DSP
