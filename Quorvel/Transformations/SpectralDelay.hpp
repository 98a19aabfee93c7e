#pragma once

#include "DSP/Data/Spectrum.hpp"
#include "DSP/Processing/Base/InControl.hpp"
#include "DSP/Processing/Transformations/FrameTransformationTmpl.hpp"
#include "Quorvel/Transformations/BinDelayLine.hpp"

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
// source (delays beyond the line's reach, cutoffs beyond the spectrum or above 10 kHz).
//
// Each band is a feedback comb in frame time: with s the line's content and x the input,
// s[t] = g·s[t − d] + (1 − g)·x[t] and the band's output is s[t − d]: the first echo has gain
// 1 − g and each further echo g times the previous one. A band whose delay is 0 or negative
// passes its bins through and leaves its line as it is.
//
// Memory: each line holds as many frames as the longest delay needs at the current sample
// rate (1723 at 44.1 kHz, hop 256), at most 3000; the low and middle lines hold only the bins
// below the highest cutoff, the high line every bin.
//
// Real time: Configure sizes everything for 513-bin spectra at the current sample rate; Do
// then never allocates. A spectrum of another bin count, or another sample rate, re-sizes
// (and empties) the lines once, on the calling thread. Controls may be written from any
// thread.
class SpectralDelay : public FrameTransformationTmpl<Spectrum> {
public:
    // The most frames a line ever holds (about 17.4 s at 44.1 kHz, hop 256).
    static constexpr std::uint32_t kMaxDelayFrames = 3000;
    // The longest delay and the highest cutoff the program's parameters reach.
    static constexpr float kLongestDelayMs = 10000.f;
    static constexpr float kHighestCutoffHz = 10000.f;

    SpectralDelay();

    const char* GetDSPClassName() const override { return "SpectralDelay"; }

    bool Do(const Spectrum& in, Spectrum& out) override;
    bool Do() override { return DoWithPorts(mInput, mOutput); }
    using FrameTransformationTmpl<Spectrum>::Do;

    // LowCutoff 500, HighCutoff 2000, LowDelay 300, MidDelay 500, HighDelay 100, and 30 % for
    // the three feedbacks. The lines keep their content.
    bool InitControls() override;

protected:
    // Empties the three lines (no delay) and sizes them and every spectrum.
    bool ConcreteConfigure(const ProcessingConfig& config) override;

private:
    // One band's controls (owned by the effect) and its delay line.
    struct Band {
        InControl* delayMs = nullptr;
        InControl* feedbackPercent = nullptr;
        BinDelayLine line;
    };

    // Sizes the work and feed spectra and the three lines for nBins bins and the current sample
    // rate, which also empties the lines; nothing happens when neither changed.
    void PrepareFor(int nBins);
    // Runs one band whose delay is positive: mixes the feed over the bins its line holds,
    // stores it and writes the delayed spectrum into out's bins [begin, end).
    void DelayBand(Band& band, float delayFrames, float feedback, int begin, int end,
                   Spectrum& out);

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
    // The current input in complex form.
    Spectrum mWork;
    std::array<Band, 3> mBands;
    int mPreparedBins = 0;
    std::uint32_t mPreparedFrames = 0;
};

} // namespace DSP
