#include "Quorvel/Engine/HarmonicPath.hpp"

#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Misc/FiniteOrZero.hpp"
#include "Quorvel/Engine/Mix.hpp"

namespace Quorvel {

namespace {
constexpr int kWindowSamples = 1024; // the engine's short-time window, which times the frames
} // namespace

void HarmonicPath::Configure() {
    mAnalysisConfig = DSP::HLNAnalysisConfig::EngineDefaults();
    mSynthesisConfig = DSP::HLNSynthesisConfig::EngineDefaults();
    mAnalysis.Stop();
    mAnalysis.Configure(mAnalysisConfig);
    mSynthesis.Stop();
    mSynthesis.Configure(mSynthesisConfig);
    // Only the sum is mixed into the output.
    mSynthesis.SetSynthesizesParts(false);
    // Both frames get every size a hop writes, so that no hop allocates.
    for (DSP::Frame* frame : {&mInput, &mOutput}) {
        mAnalysis.PrepareFrame(*frame);
        mSynthesis.PrepareFrame(*frame);
    }
    mAnalysis.Start();
    mSynthesis.Start();
    mDryRing.fill(0.0f);
    mDryWrite = 0;
    mHopCounter = 0;
}

bool HarmonicPath::Analyse(const float* hop) {
    const float rate = GlobalProcessInfo::GetSampleRate();
    const double n = double(mHopCounter);
    mInput.SetCenterTime(float(((n + 1.0) * kHopSamples - kWindowSamples * 0.5) / rate));
    mInput.SetDuration(float(kHopSamples / rate));
    DSP::Audio& audio = mInput.GetAudioFrame();
    audio.SetSampleRate(rate);
    audio.SetBeginTime(double(float(kHopSamples * (float(n) - 0.5f) / rate)));
    float* samples = audio.GetBuffer().GetPtr();
    for (int k = 0; k < kHopSamples; ++k) {
        samples[k] = DSP::FiniteOrZero(hop[k]);
        mDryRing[size_t((mDryWrite + k) & (kDryRingSamples - 1))] = samples[k];
    }
    mDryWrite = (mDryWrite + kHopSamples) & (kDryRingSamples - 1);
    ++mHopCounter;
    return mAnalysis.Do(mInput);
}

int HarmonicPath::LastPeakCount() {
    return mAnalysis.GetCore().GetDetectedPeakCount();
}

void HarmonicPath::Mix(float gain, float dryWet, float* out) {
    const int dryStart = mDryWrite - kHopSamples - kChainDelaySamples;
    for (int k = 0; k < kHopSamples; ++k)
        mDryHop[size_t(k)] = mDryRing[size_t((dryStart + k) & (kDryRingSamples - 1))];
    MixHop(mDryHop.data(), mOutput.GetSynthAudioFrame().GetBuffer().GetPtr(), dryWet, gain, out,
           kHopSamples);
}

} // namespace Quorvel
