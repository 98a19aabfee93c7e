#include "Quorvel/Transformations/HLN/HLNHarmonizer.hpp"

#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Misc/Err.hpp"
#include "DSP/Misc/FastMath.hpp"
#include "Quorvel/Transformations/HLN/HarmonicFrameTools.hpp"
#include "Quorvel/Transformations/HLN/StoreTransformationConfig.hpp"

#include <algorithm>
#include <cmath>

namespace DSP {

namespace {
constexpr float kInitialGainDb = -10.f;
constexpr float kInitialDelay1Ms = 3.f;
constexpr float kInitialDelay2Ms = 6.f;
constexpr float kShifterError = 10.f;
// A voice whose linear gain is at or below this (about -80 dB) is left out.
constexpr float kSilentGain = 0.0001f;
// Fundamental candidates the voice frames make room for at configuration.
constexpr int kReservedCandidates = 16;

// Gives spectrum the representation and bin count of the engine's spectra.
// Storage for both forms: the analysed spectra a voice's frame is copied from carry both.
void PrepareSpectrum(Spectrum& spectrum) {
    spectrum.SetType(SpecTypeFlags({SpecTypeFlags::eMagPhase, SpecTypeFlags::eComplex}));
    spectrum.SetSize(kHarmonicBins);
}

} // namespace

HLNHarmonizer::HLNHarmonizer() {
    mVoices[0].transposition = &mTransposition1;
    mVoices[0].gainDb = &mGain1;
    mVoices[0].delayMs = &mDelay1;
    mVoices[1].transposition = &mTransposition2;
    mVoices[1].gainDb = &mGain2;
    mVoices[1].delayMs = &mDelay2;
    mCurrentTime = &mPhaseManagement.GetInControls().Get("CurrentTime");
    mCurrentPitch = &mPhaseManagement.GetInControls().Get("CurrentPitch");
    Configure(FrameTransformationConfig());
}

bool HLNHarmonizer::ConcreteConfigure(const ProcessingConfig& config) {
    if (!StoreTransformationConfig(*this, config, mConfig))
        return false;
    for (Voice& voice : mVoices)
        if (!ConfigureVoice(voice))
            return false;
    SynthSineSpectrumConfig synthConfig;
    synthConfig.SetSpectrumSize(kHarmonicBins);
    if (!mSynthSine.Configure(synthConfig))
        return false;
    if (!mPhaseManagement.Configure(PhaseManagementConfig()))
        return false;
    mFrameCounter = 0;
    mVoiceFramesInitialised = false;
    mIgnoreResidual.DoControl(0.f);
    return true;
}

bool HLNHarmonizer::ConfigureVoice(Voice& voice) {
    voice.shifter.Stop();
    if (!voice.shifter.Configure(FrameTransformationConfig()))
        return false;
    TokenDelayConfig lineConfig;
    lineConfig.SetInitialDelay(0);
    lineConfig.SetMaxDelay(LineFrames());
    if (!voice.magDelay.Configure(lineConfig) || !voice.sinDelay.Configure(lineConfig))
        return false;
    // Every slot gets the engine's bin count now, so that storing tokens on the render thread
    // only copies.
    voice.magDelay.PrepareTokens(Array<float>(kHarmonicBins));
    voice.sinDelay.PrepareTokens(Array<ComplexTmpl<float>>(kHarmonicBins));
    voice.delayedMags = nullptr;
    voice.delayedSines = nullptr;
    PrepareSpectrum(voice.output.GetResidualSpec());
    PrepareSpectrum(voice.output.GetSinusoidalSpec());
    if (voice.output.GetFundamental().GetnMaxCandidates() < kReservedCandidates)
        voice.output.GetFundamental().SetnMaxCandidates(kReservedCandidates);
    return true;
}

bool HLNHarmonizer::ConcreteStart() {
    for (Voice& voice : mVoices) {
        voice.magDelay.Start();
        voice.sinDelay.Start();
    }
    mSynthSine.Start();
    mPhaseManagement.Start();
    for (Voice& voice : mVoices)
        voice.shifter.Start();
    return InitControls();
}

bool HLNHarmonizer::InitControls() {
    FrameTransformation::InitControls();
    mTransposition1.DoControl(static_cast<float>(std::pow(2.0, -0.41666666)));
    mGain1.DoControl(kInitialGainDb);
    mTransposition2.DoControl(static_cast<float>(std::pow(2.0, 0.25)));
    mGain2.DoControl(kInitialGainDb);
    mDelay1.DoControl(kInitialDelay1Ms);
    mDelay2.DoControl(kInitialDelay2Ms);
    mIgnoreResidual.DoControl(0.f);
    for (Voice& voice : mVoices)
        voice.shifter.GetErrorControl().DoControl(kShifterError);
    return true;
}

int HLNHarmonizer::ForwardIgnoreResidual(float value) {
    for (Voice& voice : mVoices)
        voice.shifter.GetIgnoreResidualControl().DoControl(value);
    return 0;
}

bool HLNHarmonizer::Do() {
    DSP_CHECK(false, "Do with ports not implemented");
    return false;
}

bool HLNHarmonizer::Do(const Frame& in, Frame& out) {
    // Each control is read once, so a value written meanwhile cannot change between uses.
    std::array<float, 2> ratio{};
    std::array<float, 2> gainDb{};
    std::array<float, 2> delayFrames{};
    for (int v = 0; v < 2; ++v) {
        ratio[v] = mVoices[v].transposition->GetLastValue();
        gainDb[v] = mVoices[v].gainDb->GetLastValue();
        delayFrames[v] = DelayFrames(mVoices[v].delayMs->GetLastValue());
    }

    if (&in != &out)
        out = in;
    out.SetIsSinusoidalSpectrumReady(true);
    PrepareOutput(out);

    // The first frame gives the voices' residuals their starting content (what a voice
    // keeps while "IgnoreResidual" leaves its residual alone).
    if (!mVoiceFramesInitialised) {
        for (Voice& voice : mVoices) {
            // Magnitudes and phases only, into the storage configuration gave them.
            const Spectrum& from = in.GetResidualSpec();
            Spectrum& to = voice.output.GetResidualSpec();
            to.SetScale(from.GetScale());
            to.SetSize(from.GetSize());
            to.GetMagBuffer() = from.GetMagBuffer();
            to.GetPhaseBuffer() = from.GetPhaseBuffer();
        }
        mVoiceFramesInitialised = true;
    }

    for (int v = 0; v < 2; ++v)
        RunVoice(mVoices[v], in, ratio[v], delayFrames[v]);

    ClearWet(out);
    for (int v = 0; v < 2; ++v) {
        const float gain = DSP_pow(10.f, gainDb[v] / 20.f);
        // A gain too large for single precision would only fill the output with infinities.
        if (mVoices[v].delayedMags && mVoices[v].delayedSines && gain > kSilentGain &&
            std::isfinite(gain))
            MixFrames(out, mVoices[v], (gain * 100.f) * 0.01f);
    }
    // The input's residual phases and fundamental stay in the output, and large gains can
    // overflow: nothing non-finite leaves the effect.
    MakeHarmonicOutputFinite(out);
    MakeSpectrumFinite(out.GetSinusoidalSpec());
    return true;
}

void HLNHarmonizer::PrepareOutput(Frame& out) {
    // These peaks feed the phase management's memory: nothing non-finite may enter it.
    SpectralPeakArray& peaks = out.GetSpectralPeakArray();
    MakePeaksFinite(peaks);
    const double seconds = static_cast<double>(mFrameCounter) * GlobalProcessInfo::GetFrameSize() /
                           GlobalProcessInfo::GetSampleRate();
    mCurrentTime->DoControl(static_cast<float>(seconds));
    ++mFrameCounter;
    mCurrentPitch->DoControl(FirstCandidateFreq(out.GetFundamental()));
    mPhaseManagement.Do(peaks);
    mSynthSine.WriteSilence(out.GetSinusoidalSpec());
}

namespace {
// ms · rate / 1000 / hop, written with the spectral range (half the rate) taken as a whole
// number of Hz, in double precision.
double FramesOf(float delayMs) {
    const auto rangeHz = static_cast<int>(GlobalProcessInfo::GetSpectralRange());
    return 0.002 * rangeHz * static_cast<double>(delayMs) / GlobalProcessInfo::GetFrameSize();
}
} // namespace

std::uint32_t HLNHarmonizer::LineFrames() {
    // One frame more than the longest delay, since a line takes its capacity as no delay.
    const double longest = FramesOf(kLongestDelayMs);
    if (!(longest > 0.0))
        return 1;
    return longest < kMaxDelayFrames - 1 ? static_cast<std::uint32_t>(longest) + 1
                                         : kMaxDelayFrames;
}

float HLNHarmonizer::DelayFrames(float delayMs) const {
    const double frames = FramesOf(delayMs);
    // The lines would take their capacity as no delay at all; the longest delay they can
    // give is one frame less (reached only with delays beyond the parameter's range).
    const auto longest = static_cast<double>(mVoices[0].magDelay.GetCapacity() - 1);
    return static_cast<float>(frames < longest ? frames : longest);
}

void HLNHarmonizer::RunVoice(Voice& voice, const Frame& in, float ratio, float delayFrames) {
    voice.shifter.mAmount.store(ratio, std::memory_order_relaxed);
    voice.shifter.Do(in.GetSpectralPeakArray(), in.GetFundamental(), in.GetResidualSpec(),
                     voice.output.GetSinusoidalSpec(), voice.output.GetFundamental(),
                     voice.output.GetResidualSpec());

    // What enters a line stays there for up to 500 frames: it must be finite. Only the
    // residual magnitudes and the sinusoidal bins are mixed, so only they are delayed (the
    // output keeps the input's residual phases).
    Array<float>& mags = voice.output.GetResidualSpec().GetMagBuffer();
    Array<ComplexTmpl<float>>& sines = voice.output.GetSinusoidalSpec().GetComplexArray();
    MakeValuesFinite(mags);
    MakeBinsFinite(sines);

    voice.magDelay.GetDelayControl().DoControl(delayFrames);
    voice.sinDelay.GetDelayControl().DoControl(delayFrames);
    voice.delayedMags = voice.magDelay.Push(mags);
    voice.delayedSines = voice.sinDelay.Push(sines);
}

void HLNHarmonizer::ClearWet(Frame& out) {
    Array<float>& mags = out.GetResidualSpec().GetMagBuffer();
    for (int k = 0; k < mags.Size(); ++k)
        mags[k] = 0.f;
}

void HLNHarmonizer::MixFrames(Frame& out, const Voice& voice, float gain) {
    // Only bins that both sides hold are mixed: a voice made from a spectrum of another
    // size never reads or writes past either array.
    const Array<float>& delayedMags = *voice.delayedMags;
    Array<float>& mags = out.GetResidualSpec().GetMagBuffer();
    const int nMags = std::min(mags.Size(), delayedMags.Size());
    for (int k = 0; k < nMags; ++k)
        mags[k] += gain * delayedMags[k];
    const Array<ComplexTmpl<float>>& delayedSines = *voice.delayedSines;
    Array<ComplexTmpl<float>>& sines = out.GetSinusoidalSpec().GetComplexArray();
    const int nSines = std::min(sines.Size(), delayedSines.Size());
    for (int k = 0; k < nSines; ++k)
        sines[k] += delayedSines[k] * gain;
}

} // namespace DSP
