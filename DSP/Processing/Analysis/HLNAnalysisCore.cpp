#include "DSP/Processing/Analysis/HLNAnalysisCore.hpp"

#include "DSP/Misc/Err.hpp"

#include <iostream>

namespace DSP {

namespace {

// Applies prepare to every token of port's stream, including the mirrored ones, so that
// the sizes a hop needs are in place before the first hop.
template <typename T, typename Prepare> void ForEachToken(OutPort<T>& port, Prepare prepare) {
    auto& buffer = port.GetRegion().GetStream().GetBuffer();
    const unsigned tokens = buffer.LogicalSize() + buffer.PhantomSize();
    for (unsigned i = 0; i < tokens; ++i)
        prepare(buffer[i]);
}

// Storage for bins magnitude/phase bins and as many complex bins: every spectrum stream
// of the network holds one or both.
void PresizeSpectrum(Spectrum& spectrum, int bins) {
    spectrum.SetType(SpecTypeFlags({SpecTypeFlags::eMagPhase, SpecTypeFlags::eComplex}));
    spectrum.SetSize(bins);
    spectrum.SetType(SpecTypeFlags({SpecTypeFlags::eMagPhase}));
}

} // namespace

HLNAnalysisCore::HLNAnalysisCore()
    : mInputAudio("Input Audio", this), mSinusoidalPeaks("Sinusoidal Peaks", this),
      mFundamental("Fundamental", this), mResidualSpectrum("Residual Spectrum", this),
      mSinBranchSpectrum("Sinusoidal Branch Spectrum", this),
      mResBranchSpectrum("Residual Branch Spectrum", this) {
    InsertChildren();
    Wire();
}

HLNAnalysisCore::~HLNAnalysisCore() = default;

void HLNAnalysisCore::InsertChildren() {
    Insert(mSinSpectralAnalysis);
    Insert(mResSpectralAnalysis);
    Insert(mPeakDetect);
    Insert(mFundFreqDetect);
    Insert(mSinTracking);
    Insert(mSynthSineSpectrum);
    Insert(mSpectrumSubstracter);
}

void HLNAnalysisCore::Wire() {
    mInputAudio.PublishInPort(mSinSpectralAnalysis.GetInput());
    mInputAudio.PublishInPort(mResSpectralAnalysis.GetInput());

    mSinSpectralAnalysis.GetOutput().ConnectToIn(mPeakDetect.GetInput());
    mPeakDetect.GetOutput().ConnectToIn(mFundFreqDetect.GetInput());
    mPeakDetect.GetOutput().ConnectToIn(mSinTracking.GetInput());
    mFundFreqDetect.GetFundFreqValue().AddLink(&mSinTracking.GetFundFreqControl());
    mSinTracking.GetOutput().ConnectToIn(mSynthSineSpectrum.GetInput());
    mResSpectralAnalysis.GetOutput().ConnectToIn(mSpectrumSubstracter.GetInput1());
    mSynthSineSpectrum.GetOutput().ConnectToIn(mSpectrumSubstracter.GetInput2());

    mSinusoidalPeaks.PublishOutPort(mSinTracking.GetOutput());
    mFundamental.PublishOutPort(mFundFreqDetect.GetOutput());
    mResidualSpectrum.PublishOutPort(mSpectrumSubstracter.GetOutput());
    mSinBranchSpectrum.PublishOutPort(mSinSpectralAnalysis.GetOutput());
    mResBranchSpectrum.PublishOutPort(mResSpectralAnalysis.GetOutput());
}

bool HLNAnalysisCore::ConcreteConfigure(const ProcessingConfig& config) {
    const auto* concrete = dynamic_cast<const HLNAnalysisConfig*>(&config);
    if (!concrete) {
        AddConfigErrorMessage("Config should be an HLNAnalysisConfig");
        return false;
    }
    mConfig = *concrete;
    ConfigureChildren();
    PresizeStreams();
    return true;
}

void HLNAnalysisCore::ConfigureChildren() {
    mConfig.GetSinSpectralAnalysis().SetIsSinusoidal(true);
    // The children's results are not consulted: their sizes were checked by the setters.
    mSinSpectralAnalysis.Stop();
    mSinSpectralAnalysis.Configure(mConfig.GetSinSpectralAnalysis());
    mResSpectralAnalysis.Stop();
    mResSpectralAnalysis.Configure(mConfig.GetResSpectralAnalysis());
    mPeakDetect.Stop();
    mPeakDetect.Configure(mConfig.GetPeakDetect());
    mFundFreqDetect.Stop();
    mFundFreqDetect.Configure(mConfig.GetFundFreqDetect());
    mSinTracking.Stop();
    mSinTracking.Configure(mConfig.GetSinTracking());
    mSynthSineSpectrum.Stop();
    mSynthSineSpectrum.Configure(mConfig.GetSynthSineSpectrum());
    mSpectrumSubstracter.Stop();
    mSpectrumSubstracter.Configure(SpecSubstracter2Config());

    // Each branch reads window size - 1 samples: the analysis windows only that many (its
    // last window sample is cut), and an even reading window can be centred on the stream.
    const int hop = mConfig.GetHopSize();
    mSinSpectralAnalysis.GetInput().SetSize(mConfig.GetSinWindowSize() - 1);
    mSinSpectralAnalysis.GetInput().SetHop(hop);
    mResSpectralAnalysis.GetInput().SetSize(mConfig.GetResWindowSize() - 1);
    mResSpectralAnalysis.GetInput().SetHop(hop);
}

void HLNAnalysisCore::PresizeStreams() {
    const int sinBins = mConfig.GetSinSpectralAnalysis().GetFFTSize() / 2 + 1;
    const int resBins = mConfig.GetResSpectralAnalysis().GetFFTSize() / 2 + 1;
    const int maxPeaks = mConfig.GetPeakDetect().GetMaxPeaks();
    const int maxTracks = mConfig.GetSinTracking().GetMaxTracks();
    ForEachToken(mSinSpectralAnalysis.GetOutput(),
                 [sinBins](Spectrum& s) { PresizeSpectrum(s, sinBins); });
    // Peak detection reads the branch's linear spectrum through a dB copy of its own.
    mPeakDetect.PrepareWorkSpectrum(mSinSpectralAnalysis.GetOutput().GetData());
    ForEachToken(mResSpectralAnalysis.GetOutput(),
                 [resBins](Spectrum& s) { PresizeSpectrum(s, resBins); });
    ForEachToken(mSynthSineSpectrum.GetOutput(),
                 [resBins](Spectrum& s) { PresizeSpectrum(s, resBins); });
    ForEachToken(mSpectrumSubstracter.GetOutput(),
                 [resBins](Spectrum& s) { PresizeSpectrum(s, resBins); });
    ForEachToken(mPeakDetect.GetOutput(),
                 [maxPeaks](SpectralPeakArray& p) { p.SetnMaxPeaks(maxPeaks); });
    ForEachToken(mSinTracking.GetOutput(),
                 [maxTracks](SpectralPeakArray& p) { p.SetnMaxPeaks(maxTracks); });
    ForEachToken(mFundFreqDetect.GetOutput(), [](Fundamental& f) { f.SetnMaxCandidates(1); });
}

bool HLNAnalysisCore::ConcreteStart() {
    AudioInPort& sinInput = mSinSpectralAnalysis.GetInput();
    OutPortBase* source = sinInput.GetAttachedOutPort();
    DSP_CHECK(source != nullptr, "HLNAnalysisCore::ConcreteStart in port 'Input' needs an "
                                 "attached out port, to start");
    if (source->GetSize() % 2 != 0) {
        source->SetSize(sinInput.GetSize());
        source->SetHop(sinInput.GetSize());
        std::cout << "HLNAnalysisCore::ConcreteStart() Alert!! setting size mSinSpec... : "
                  << sinInput.GetSize() << "\n";
    }
    OutPortBase* audioSource = mInputAudio.GetAttachedOutPort();
    (audioSource != nullptr ? audioSource : source)->CenterEvenRegions();
    return ProcessingComposite::ConcreteStart();
}

bool HLNAnalysisCore::Do() {
    if (!mSinSpectralAnalysis.CanConsumeAndProduce() ||
        !mResSpectralAnalysis.CanConsumeAndProduce())
        return false;
    mSinSpectralAnalysis.Do();
    mResSpectralAnalysis.Do();
    mPeakDetect.Do();
    mDetectedPeakCount = mPeakDetect.GetOutput().GetLastWrittenData().GetnPeaks();
    mFundFreqDetect.Do();
    mSinTracking.Do();
    mSynthSineSpectrum.Do();
    mSpectrumSubstracter.Do();
    return true;
}

} // namespace DSP
