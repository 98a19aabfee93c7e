#include "Quorvel/Transformations/SpectralDelay.hpp"

#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Data/SpectrumConversions.hpp"
#include "DSP/Processing/Transformations/SpectralBands.hpp"
#include "Quorvel/Transformations/BinArrays.hpp"

namespace DSP {

namespace {

// Milliseconds to frames: delayMs × sample rate / 1000 / hop, written with the spectral range
// (half the sample rate), so the factor is 2 / 1000. The product with the range is taken in
// single precision, the rest in double.
float DelayFrames(float delayMs, float spectralRangeHz, float hopSamples) {
    const float product = delayMs * spectralRangeHz;
    return static_cast<float>(product * 0.002 / hopSamples);
}

} // namespace

SpectralDelay::SpectralDelay() {
    mBands[0].delayMs = &mLowDelay;
    mBands[0].feedbackPercent = &mLowFeedback;
    mBands[1].delayMs = &mMidDelay;
    mBands[1].feedbackPercent = &mMidFeedback;
    mBands[2].delayMs = &mHighDelay;
    mBands[2].feedbackPercent = &mHighFeedback;
}

bool SpectralDelay::ConcreteConfigure(const ProcessingConfig& config) {
    if (!FrameTransformationTmpl<Spectrum>::ConcreteConfigure(config))
        return false;
    mPreparedBins = -1;
    PrepareFor(kPreparedBins);
    return true;
}

void SpectralDelay::PrepareFor(int nBins) {
    const float rangeHz = GlobalProcessInfo::GetSpectralRange();
    const float longest = DelayFrames(kLongestDelayMs, rangeHz, GlobalProcessInfo::GetFrameSize());
    // One slot more than the longest delay, since a delay of the capacity would be none.
    const std::uint32_t frames = longest > 0.f && longest < static_cast<float>(kMaxDelayFrames)
                                     ? static_cast<std::uint32_t>(longest) + 1
                                     : (longest > 0.f ? kMaxDelayFrames : 1);
    const int reach = ComputeThreeBandLimits(nBins, rangeHz, kHighestCutoffHz, 0.f).low;
    if (nBins == mPreparedBins && frames == mPreparedFrames && reach == mBands[0].line.Width())
        return;
    const SpecTypeFlags complexOnly({SpecTypeFlags::eComplex});
    mWork.SetType(complexOnly);
    mWork.SetSize(nBins);
    mBands[0].line.Prepare(frames, reach);
    mBands[1].line.Prepare(frames, reach);
    mBands[2].line.Prepare(frames, nBins);
    mPreparedBins = nBins;
    mPreparedFrames = frames;
}

bool SpectralDelay::InitControls() {
    mLowCutoff.DoControl(500.f);
    mHighCutoff.DoControl(2000.f);
    mLowDelay.DoControl(300.f);
    mMidDelay.DoControl(500.f);
    mHighDelay.DoControl(100.f);
    mLowFeedback.DoControl(30.f);
    mMidFeedback.DoControl(30.f);
    mHighFeedback.DoControl(30.f);
    return true;
}

bool SpectralDelay::Do(const Spectrum& in, Spectrum& out) {
    const int n = in.GetSize();
    const float rangeHz = GlobalProcessInfo::GetSpectralRange();
    const float hop = GlobalProcessInfo::GetFrameSize();
    PrepareFor(n);

    // Each control is read once per frame, so a value written meanwhile from another thread
    // cannot change between two uses.
    std::array<float, 3> delayFrames{};
    std::array<float, 3> feedback{};
    // The line would take a delay at or beyond its capacity as no delay at all; it is held at
    // the longest delay the line can give instead (only reachable beyond the parameter's range
    // or above 48 kHz).
    const auto longest = static_cast<float>(mPreparedFrames - 1);
    for (int b = 0; b < 3; ++b) {
        const float frames = DelayFrames(mBands[b].delayMs->GetLastValue(), rangeHz, hop);
        delayFrames[b] = frames < longest ? frames : longest;
        feedback[b] = static_cast<float>(mBands[b].feedbackPercent->GetLastValue() * 0.01);
    }

    if (&in != &out && out.GetSize() != n)
        out = in; // out must hold n bins before single bins are written into it

    mWork.MagPhase2Complex(in);

    // The low and middle lines hold the bins below the highest cutoff: cutoffs above it (only
    // reachable by setting the control directly) act as that cutoff.
    const ThreeBandLimits limits =
        ComputeThreeBandLimits(n, rangeHz, mLowCutoff.GetLastValue(), mHighCutoff.GetLastValue());
    const int reach = mBands[0].line.Width();
    const int low = limits.low < reach ? limits.low : reach;
    const int high = limits.high < reach ? limits.high : reach;
    const std::array<int, 4> edges{0, low, high, n};

    const Array<float>& inMag = in.GetMagBuffer();
    const Array<float>& inPhase = in.GetPhaseBuffer();
    Array<float>& outMag = out.GetMagBuffer();
    Array<float>& outPhase = out.GetPhaseBuffer();
    // Bands run low, middle, high: where the outer bands overlap (LowCutoff above
    // HighCutoff), the high band's bins win.
    for (int b = 0; b < 3; ++b) {
        const int begin = edges[b];
        const int end = edges[b + 1] > begin ? edges[b + 1] : begin;
        if (delayFrames[b] > 0.f) {
            DelayBand(mBands[b], delayFrames[b], feedback[b], begin, end, out);
        } else {
            for (int k = begin; k < end; ++k) {
                outMag[k] = inMag[k];
                outPhase[k] = inPhase[k];
            }
        }
    }
    return true;
}

void SpectralDelay::DelayBand(Band& band, float delayFrames, float feedback, int begin, int end,
                              Spectrum& out) {
    const int width = band.line.Width();
    const ComplexTmpl<float>* current = mWork.GetComplexArray().GetPtr();

    // What the line returns next; while its slot is still empty, the current input stands in.
    band.line.SetDelay(delayFrames);
    const ComplexTmpl<float>* stored = band.line.Peek();
    const ComplexTmpl<float>* echo = stored ? stored : current;

    // Mixed straight into the slot being stored; with no delay that is the slot the echo is
    // read from, each bin read before it is overwritten.
    static_assert(sizeof(ComplexTmpl<float>) == 2 * sizeof(float), "bins are two floats");
    // Real and imaginary parts mix alike, so the bins are walked as 2 * width floats; the echo
    // may be the slot being written, but only ever at the same index.
    float* feed = reinterpret_cast<float*>(band.line.WriteSlot());
    const auto* echoParts = reinterpret_cast<const float*>(echo);
    const auto* currentParts = reinterpret_cast<const float*>(current);
    const float dry = 1.f - feedback;
#pragma GCC ivdep
    for (int j = 0; j < 2 * width; ++j) {
        const float mixed = echoParts[j] * feedback + currentParts[j] * dry;
        feed[j] = FiniteOrZero(mixed);
    }

    const ComplexTmpl<float>* delayed = band.line.Push();
    const ComplexTmpl<float>* bins = delayed ? delayed : current;
    ComplexBinsToMagPhase(bins + begin, out.GetMagBuffer().GetPtr() + begin,
                          out.GetPhaseBuffer().GetPtr() + begin, end - begin);
}

} // namespace DSP
