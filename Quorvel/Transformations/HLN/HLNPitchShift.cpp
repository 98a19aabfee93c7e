#include "Quorvel/Transformations/HLN/HLNPitchShift.hpp"

#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Misc/FiniteOrZero.hpp"
#include "Quorvel/Transformations/HLN/HarmonicFrameTools.hpp"
#include "Quorvel/Transformations/HLN/StoreTransformationConfig.hpp"

#include <cmath>

namespace DSP {

namespace {
// Three semitones up: the ratio a freshly started shifter transposes by.
constexpr float kInitialRatio = 1.1892071f;
constexpr float kInitialError = 10.f;
// "Error" is scaled into the largest accepted fundamental error by this factor.
constexpr float kErrorScale = 0.04f;
// "IgnoreResidual" values below this leave the residual to the comb filter.
constexpr float kIgnoreResidualThreshold = 0.01f;
} // namespace

HLNPitchShift::HLNPitchShift() {
    mCombFrequency = &mCombFilter.GetInControls().Get("Frequency");
    mCurrentTime = &mPhaseManagement.GetInControls().Get("CurrentTime");
    mCurrentPitch = &mPhaseManagement.GetInControls().Get("CurrentPitch");
    mEnvelope.SetScale(EScale(EScale::eLog));
    Configure(FrameTransformationConfig());
}

bool HLNPitchShift::ConcreteConfigure(const ProcessingConfig& config) {
    if (!StoreTransformationConfig(*this, config, mConfig))
        return false;
    SynthSineSpectrumConfig synthConfig;
    synthConfig.SetSpectrumSize(kHarmonicBins);
    if (!mSynthSine.Configure(synthConfig))
        return false;
    if (!mPhaseManagement.Configure(PhaseManagementConfig()))
        return false;
    mFrameCounter = 0;
    ReservePeaks(mSynthPeaks, kHarmonicMaxPeaks);
    mEnvelopeExtract.PrepareEnvelope(mEnvelope);
    return true;
}

bool HLNPitchShift::ConcreteStart() {
    mSynthSine.Start();
    mPhaseManagement.Start();
    return InitControls();
}

bool HLNPitchShift::InitControls() {
    mAmount.store(kInitialRatio, std::memory_order_relaxed);
    mHarmonic.DoControl(0.f);
    mIgnoreResidual.DoControl(0.f);
    mError.DoControl(kInitialError);
    return true;
}

HLNPitchShift::Settings HLNPitchShift::ReadSettings() const {
    Settings settings;
    settings.ratio = mAmount.load(std::memory_order_relaxed);
    settings.errorLimit = mError.GetLastValue() * kErrorScale;
    settings.filterResidual = mIgnoreResidual.GetLastValue() < kIgnoreResidualThreshold;
    return settings;
}

bool HLNPitchShift::Do(const Frame& in, Frame& out) {
    // The core extracts the envelope itself (from the previous frame's "Harmonic"), so the
    // range is all this step has to prepare.
    mEnvelope.SetSpectralRange(GlobalProcessInfo::GetSpectralRange());
    Do(in.GetSpectralPeakArray(), in.GetFundamental(), in.GetResidualSpec(),
       out.GetSpectralPeakArray(), out.GetFundamental(), out.GetResidualSpec());
    MakeHarmonicOutputFinite(out);
    return true;
}

bool HLNPitchShift::Do(const SpectralPeakArray& peaks, const Fundamental& fundamental,
                       const Spectrum& residual, SpectralPeakArray& outPeaks,
                       Fundamental& outFundamental, Spectrum& outResidual) {
    const Settings settings = ReadSettings();
    if (!mConfig.GetInPlace()) {
        outFundamental = fundamental;
        if (settings.filterResidual)
            outResidual = residual;
    }
    // "Harmonic" still holds the previous frame's fundamental here: the envelope is taken
    // only when that frame was voiced.
    ExtractEnvelope(peaks);
    if (settings.ratio == 1.f)
        return true;
    if (!AcceptFrame(peaks, fundamental, settings)) {
        outPeaks = peaks;
        outFundamental = fundamental;
        outResidual = residual;
        return true;
    }
    const float f0 = FirstCandidateFreq(fundamental);
    TransposeFundamental(fundamental, settings.ratio, outFundamental);
    TransposePeaks(peaks, settings.ratio, outPeaks);
    if (settings.filterResidual)
        FilterResidual(residual, settings.ratio * f0, outResidual);
    return true;
}

bool HLNPitchShift::Do(const SpectralPeakArray& peaks, const Fundamental& fundamental,
                       const Spectrum& residual, Spectrum& outSinSpectrum,
                       Fundamental& outFundamental, Spectrum& outResidual) {
    const Settings settings = ReadSettings();
    if (!mConfig.GetInPlace()) {
        outFundamental = fundamental;
        if (settings.filterResidual)
            outResidual = residual;
    }
    const float f0 = FirstCandidateFreq(fundamental);
    if (!AcceptFrame(peaks, fundamental, settings) || settings.ratio == 1.f) {
        mSynthPeaks = peaks;
        MakePeaksFinite(mSynthPeaks);
        SynthesizeSines(f0, outSinSpectrum);
        outFundamental = fundamental;
        outResidual = residual;
        return true;
    }
    TransposeFundamental(fundamental, settings.ratio, outFundamental);
    // Unlike the peaks core, "Harmonic" already holds this frame's fundamental, so a voiced
    // frame always gets its envelope back.
    mEnvelope.SetSpectralRange(GlobalProcessInfo::GetSpectralRange());
    ExtractEnvelope(peaks);
    TransposePeaks(peaks, settings.ratio, mSynthPeaks);
    SynthesizeSines(f0, outSinSpectrum);
    if (settings.filterResidual)
        FilterResidual(residual, settings.ratio * f0, outResidual);
    return true;
}

bool HLNPitchShift::Do() {
    const bool result =
        Do(mInPeaks.GetData(), mInFundamental.GetData(), mInSpectrum.GetData(),
           mOutSinSpectrum.GetData(), mOutFundamental.GetData(), mOutResSpectrum.GetData());
    mInPeaks.Consume();
    mInFundamental.Consume();
    mInSpectrum.Consume();
    mOutPeaks.Produce();
    mOutFundamental.Produce();
    mOutSinSpectrum.Produce();
    mOutResSpectrum.Produce();
    return result;
}

bool HLNPitchShift::AcceptFrame(const SpectralPeakArray& peaks, const Fundamental& fundamental,
                                const Settings& settings) {
    const float f0 = FirstCandidateFreq(fundamental);
    mHarmonic.DoControl(f0);
    const float error = std::fabs(fundamental.GetErr(0));
    // A ratio that is not a positive finite number (or that takes the fundamental beyond
    // the float range) cannot transpose anything: the frame passes as it is.
    const bool usableRatio = settings.ratio > 0.f && std::isfinite(settings.ratio * f0);
    return f0 > 0.f && peaks.GetnPeaks() > 0 && error <= settings.errorLimit && usableRatio;
}

void HLNPitchShift::ExtractEnvelope(const SpectralPeakArray& peaks) {
    mEnvelopeValid = false;
    if (mHarmonic.GetLastValue() > 0.f)
        mEnvelopeValid = mEnvelopeExtract.Do(peaks, mEnvelope);
}

void HLNPitchShift::TransposeFundamental(const Fundamental& fundamental, float ratio,
                                         Fundamental& outFundamental) {
    outFundamental = fundamental;
    for (int i = 0; i < outFundamental.GetnCandidates(); ++i)
        outFundamental.SetFreq(i, FiniteOrZero(ratio * fundamental.GetFreq(i)));
}

void HLNPitchShift::TransposePeaks(const SpectralPeakArray& peaks, float ratio,
                                   SpectralPeakArray& outPeaks) {
    outPeaks = peaks;
    const float rangeHz = GlobalProcessInfo::GetSpectralRange();
    for (int i = 0; i < outPeaks.GetnPeaks(); ++i) {
        const float freqHz = ratio * outPeaks.GetFreq(i);
        // Peaks are in rising frequency: from the first that would reach half the sample
        // rate on, none can be synthesized. A frequency that is not a number ends the list
        // the same way.
        if (!(freqHz < rangeHz)) {
            outPeaks.SetnPeaks(i);
            break;
        }
        outPeaks.SetFreq(i, freqHz);
        outPeaks.SetBinPos(i, ratio * outPeaks.GetBinPos(i));
    }
    if (mEnvelopeValid)
        mEnvelopeApply.Do(outPeaks, mEnvelope, outPeaks);
    // An envelope drawn through non-finite or coinciding peaks can give non-finite values.
    MakePeaksFinite(outPeaks);
}

void HLNPitchShift::FilterResidual(const Spectrum& residual, float combHz, Spectrum& outResidual) {
    mCombFrequency->DoControl(combHz);
    mCombFilter.Do(residual, outResidual);
}

void HLNPitchShift::SynthesizeSines(float pitchHz, Spectrum& outSinSpectrum) {
    const double seconds = static_cast<double>(mFrameCounter) * GlobalProcessInfo::GetFrameSize() /
                           GlobalProcessInfo::GetSampleRate();
    mCurrentTime->DoControl(static_cast<float>(seconds));
    ++mFrameCounter;
    mCurrentPitch->DoControl(pitchHz);
    mPhaseManagement.Do(mSynthPeaks);
    mSynthSine.Do(mSynthPeaks, outSinSpectrum, 1.0);
}

} // namespace DSP
