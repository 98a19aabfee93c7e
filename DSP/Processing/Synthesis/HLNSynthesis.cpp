#include "DSP/Processing/Synthesis/HLNSynthesis.hpp"

#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Misc/FiniteOrZero.hpp"
#include "DSP/Processing/Analysis/MagPhaseSum.hpp"

namespace DSP {

namespace {

// "CurrentTime" below this means that no time is given and time counts in frames.
constexpr float kNoTimeGiven = -0.9f;

void ZeroNonFinite(Array<float>& values) {
    float* v = values.GetPtr();
    for (int i = 0; i < values.Size(); ++i)
        v[i] = FiniteOrZero(v[i]);
}

// What an effect hands over becomes the phase memory of the next frame: keep it finite.
void ZeroNonFinitePeaks(SpectralPeakArray& peaks) {
    ZeroNonFinite(peaks.GetMagBuffer());
    ZeroNonFinite(peaks.GetFreqBuffer());
    ZeroNonFinite(peaks.GetPhaseBuffer());
    ZeroNonFinite(peaks.GetBinPosBuffer());
}

void PresizeSpectrum(Spectrum& spectrum, int bins) {
    spectrum.SetType(SpecTypeFlags({SpecTypeFlags::eMagPhase, SpecTypeFlags::eComplex}));
    spectrum.SetSize(bins);
    spectrum.SetType(SpecTypeFlags({SpecTypeFlags::eMagPhase}));
}

} // namespace

HLNSynthesis::HLNSynthesis()
    : mInputSinPeaks("InputSinPeaks", this), mInputResSpectrum("InputResSpectrum", this),
      mOutputSinSpectrum("OutputSinSpectrum", this), mOutputSpectrum("OutputSpectrum", this),
      mOutputAudio("OutputAudio", this), mOutputResAudio("OutputResAudio", this),
      mOutputSinAudio("OutputSinAudio", this), mCurrentTime("CurrentTime", this),
      mCurrentPitch("CurrentPitch", this) {
    InsertChildren();
}

HLNSynthesis::HLNSynthesis(const HLNSynthesisConfig& config) : HLNSynthesis() {
    Configure(config);
}

HLNSynthesis::~HLNSynthesis() = default;

void HLNSynthesis::InsertChildren() {
    Insert(mSinSpectralSynthesis);
    Insert(mResSpectralSynthesis);
    Insert(mSpectralSynthesis);
    Insert(mSynthSineSpectrum);
    Insert(mPhaseManagement);
    Insert(mSinOverlapAdd);
    Insert(mResOverlapAdd);
    Insert(mOverlapAdd);
}

bool HLNSynthesis::ConcreteConfigure(const ProcessingConfig& config) {
    const auto* concrete = dynamic_cast<const HLNSynthesisConfig*>(&config);
    if (!concrete) {
        AddConfigErrorMessage("Config should be an HLNSynthesisConfig");
        return false;
    }
    mConfig = *concrete;
    mSpectralSynthesis.Configure(mConfig.GetSpectralSynthesis());
    mResSpectralSynthesis.Configure(mConfig.GetSpectralSynthesis());
    mSinSpectralSynthesis.Configure(mConfig.GetSpectralSynthesis());
    mSynthSineSpectrum.Configure(mConfig.GetSynthSineSpectrum());
    mPhaseManagement.Configure(mConfig.GetPhaseManagement());
    mPhaseManagement.Init();
    mSinOverlapAdd.Configure(mConfig.GetOverlapAdd(0));
    mResOverlapAdd.Configure(mConfig.GetOverlapAdd(1));
    mOverlapAdd.Configure(mConfig.GetOverlapAdd(2));

    const int hop = mConfig.GetHopSize();
    mWorkAudio.SetSize(2 * hop);
    for (AudioOutPort* port : {&mOutputAudio, &mOutputResAudio, &mOutputSinAudio}) {
        port->SetSize(hop);
        port->SetHop(hop);
    }
    // The spectrum tokens get the bins a hop writes into them, so the first hop does not
    // allocate.
    const int bins = mConfig.GetSpectrumSize();
    for (OutPort<Spectrum>* port : {&mOutputSinSpectrum, &mOutputSpectrum}) {
        auto& buffer = port->GetRegion().GetStream().GetBuffer();
        for (unsigned i = 0; i < buffer.LogicalSize() + buffer.PhantomSize(); ++i)
            PresizeSpectrum(buffer[i], bins);
    }
    mCurrentTime.DoControl(-1.f);
    return true;
}

void HLNSynthesis::PrepareFrame(Frame& frame) const {
    const int frameSize = mConfig.GetFrameSize();
    const int bins = mConfig.GetSpectrumSize();
    frame.GetSinusoidalAudioFrame().SetSize(frameSize);
    frame.GetResidualAudioFrame().SetSize(frameSize);
    frame.GetSynthAudioFrame().SetSize(frameSize);
    PresizeSpectrum(frame.GetSynthSpectrum(), bins);
    PresizeSpectrum(frame.GetSinusoidalSpec(), bins);
    PresizeSpectrum(frame.GetResidualSpec(), bins);
}

bool HLNSynthesis::Do(Frame& frame) {
    if (frame.GetCenterTime() < 0.f)
        return false;
    const int frameSize = mConfig.GetFrameSize();
    frame.GetSinusoidalAudioFrame().SetSize(frameSize);
    frame.GetResidualAudioFrame().SetSize(frameSize);
    frame.GetSynthAudioFrame().SetSize(frameSize);
    frame.GetSynthSpectrum().SetSize(mConfig.GetSpectrumSize());
    const float range = frame.GetResidualSpec().GetSpectralRange();
    frame.GetSinusoidalSpec().SetSpectralRange(range);
    frame.GetSynthSpectrum().SetSpectralRange(range);

    if (frame.GetIsSinusoidalSpectrumReady())
        return Do(frame.GetSinusoidalSpec(), frame.GetResidualSpec(), frame.GetSynthSpectrum(),
                  frame.GetSynthAudioFrame(), frame.GetSinusoidalAudioFrame(),
                  frame.GetResidualAudioFrame());
    mCurrentPitch.DoControl(frame.GetFundamental().GetFreq(0));
    return Do(frame.GetSpectralPeakArray(), frame.GetResidualSpec(), frame.GetSinusoidalSpec(),
              frame.GetSynthSpectrum(), frame.GetSynthAudioFrame(), frame.GetSinusoidalAudioFrame(),
              frame.GetResidualAudioFrame());
}

bool HLNSynthesis::Do(SpectralPeakArray& peaks, Spectrum& res, Spectrum& sinSpectrum,
                      Spectrum& sumSpectrum, Audio& out, Audio& sinOut, Audio& resOut) {
    const float givenTime = mCurrentTime.GetLastValue();
    const double time = givenTime >= kNoTimeGiven
                            ? double(givenTime)
                            : double(mFramesFromPeaks) * GlobalProcessInfo::GetFrameSize() /
                                  GlobalProcessInfo::GetSampleRate();
    mPhaseManagement.GetCurrentTimeControl().DoControl(float(time));
    ++mFramesFromPeaks;
    mPhaseManagement.GetCurrentPitchControl().DoControl(mCurrentPitch.GetLastValue());

    ZeroNonFinitePeaks(peaks);
    mPhaseManagement.Do(peaks);
    mSynthSineSpectrum.Do(peaks, sinSpectrum, 1.0);
    SynthesizeFromSpectra(sinSpectrum, res, sumSpectrum, out, sinOut, resOut);
    return true;
}

bool HLNSynthesis::Do(Spectrum& sinSpectrum, Spectrum& res, Spectrum& sumSpectrum, Audio& out,
                      Audio& sinOut, Audio& resOut) {
    SynthesizeFromSpectra(sinSpectrum, res, sumSpectrum, out, sinOut, resOut);
    return true;
}

void HLNSynthesis::SynthesizeFromSpectra(Spectrum& sinSpectrum, Spectrum& res,
                                         Spectrum& sumSpectrum, Audio& out, Audio& sinOut,
                                         Audio& resOut) {
    if (mSynthesizesParts)
        SynthesizeHop(mSinSpectralSynthesis, sinSpectrum, mSinOverlapAdd, sinOut);
    sumSpectrum.SetSize(res.GetSize());
    AddSpectrums(sinSpectrum, res, sumSpectrum);
    SynthesizeHop(mSpectralSynthesis, sumSpectrum, mOverlapAdd, out);
    if (mSynthesizesParts)
        SynthesizeHop(mResSpectralSynthesis, res, mResOverlapAdd, resOut);
}

// A non-finite bin would stay in the overlap-add buffer for the next hop: the block is made
// finite before it is added.
void HLNSynthesis::SynthesizeHop(SpectralSynthesis& synthesis, const Spectrum& spectrum,
                                 OverlapAdd& overlapAdd, Audio& out) {
    synthesis.Do(spectrum, mWorkAudio);
    ZeroNonFinite(mWorkAudio.GetBuffer());
    overlapAdd.Do(mWorkAudio, out);
}

void HLNSynthesis::AddSpectrums(Spectrum& a, Spectrum& b, Spectrum& out) {
    MagPhaseSum(a, b, 1.f, out);
}

bool HLNSynthesis::Do() {
    const bool result =
        Do(mInputSinPeaks.GetData(), mInputResSpectrum.GetData(), mOutputSinSpectrum.GetData(),
           mOutputSpectrum.GetData(), mOutputAudio.GetAudio(), mOutputSinAudio.GetAudio(),
           mOutputResAudio.GetAudio());
    mInputSinPeaks.Consume();
    mInputResSpectrum.Consume();
    mOutputSinSpectrum.Produce();
    mOutputSpectrum.Produce();
    mOutputAudio.Produce();
    mOutputSinAudio.Produce();
    mOutputResAudio.Produce();
    return result;
}

} // namespace DSP
