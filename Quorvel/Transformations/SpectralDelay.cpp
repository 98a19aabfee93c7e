#include "Quorvel/Transformations/SpectralDelay.hpp"

#include "DSP/Data/GlobalProcessInfo.hpp"
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
    TokenDelayConfig lineConfig;
    lineConfig.SetInitialDelay(0);
    lineConfig.SetMaxDelay(kMaxDelayFrames);
    for (Band& band : mBands)
        if (!band.line.Configure(lineConfig))
            return false;
    mPreparedBins = -1;
    PrepareForBins(kPreparedBins);
    return true;
}

void SpectralDelay::PrepareForBins(int nBins) {
    if (nBins == mPreparedBins)
        return;
    const SpecTypeFlags complexOnly({SpecTypeFlags::eComplex});
    mWork.SetType(complexOnly);
    mWork.SetSize(nBins);
    mFeed.SetType(complexOnly);
    mFeed.SetSize(nBins);
    for (Band& band : mBands)
        band.line.PrepareTokens(mFeed);
    mPreparedBins = nBins;
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

    // Each control is read once per frame, so a value written meanwhile from another thread
    // cannot change between two uses.
    std::array<float, 3> delayFrames{};
    std::array<float, 3> feedback{};
    // The line would take a delay at or beyond its capacity as no delay at all; it is held at
    // the longest delay the line can give instead (only reachable above 48 kHz).
    const auto longest = static_cast<float>(kMaxDelayFrames - 1);
    for (int b = 0; b < 3; ++b) {
        delayFrames[b] = DelayFrames(mBands[b].delayMs->GetLastValue(), rangeHz, hop);
        feedback[b] = static_cast<float>(mBands[b].feedbackPercent->GetLastValue() * 0.01);
        mBands[b].line.GetDelayControl().DoControl(delayFrames[b] < longest ? delayFrames[b]
                                                                            : longest);
    }

    PrepareForBins(n);
    if (&in != &out && out.GetSize() != n)
        out = in; // out must hold n bins before single bins are written into it

    mWork.MagPhase2Complex(in);

    const ThreeBandLimits limits =
        ComputeThreeBandLimits(n, rangeHz, mLowCutoff.GetLastValue(), mHighCutoff.GetLastValue());
    const std::array<int, 4> edges{0, limits.low, limits.high, n};

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
            DelayBand(mBands[b], feedback[b], begin, end, out);
        } else {
            for (int k = begin; k < end; ++k) {
                outMag[k] = inMag[k];
                outPhase[k] = inPhase[k];
            }
        }
    }
    return true;
}

void SpectralDelay::DelayBand(Band& band, float feedback, int begin, int end, Spectrum& out) {
    const int n = mWork.GetSize();
    const ComplexTmpl<float>* current = mWork.GetComplexArray().GetPtr();

    // What the line returns next; while its slot is still empty, the current input stands in.
    const Spectrum* stored = band.line.Peek();
    const ComplexTmpl<float>* echo = stored ? stored->GetComplexArray().GetPtr() : current;

    ComplexTmpl<float>* feed = mFeed.GetComplexArray().GetPtr();
    const float dry = 1.f - feedback;
    for (int k = 0; k < n; ++k) {
        const ComplexTmpl<float> mixed = echo[k] * feedback + current[k] * dry;
        feed[k] = ComplexTmpl<float>(FiniteOrZero(mixed.Real()), FiniteOrZero(mixed.Imag()));
    }

    const Spectrum* delayed = band.line.Push(mFeed);
    const ComplexTmpl<float>* bins = delayed ? delayed->GetComplexArray().GetPtr() : current;
    Array<float>& outMag = out.GetMagBuffer();
    Array<float>& outPhase = out.GetPhaseBuffer();
    for (int k = begin; k < end; ++k) {
        outMag[k] = bins[k].Mag();
        outPhase[k] = bins[k].Ang();
    }
}

} // namespace DSP
