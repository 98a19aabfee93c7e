#include "Quorvel/Transformations/SpectralAmplitudeModulation.hpp"

#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Processing/Transformations/SpectralBands.hpp"
#include "Quorvel/Transformations/BinArrays.hpp"

#include <algorithm>

namespace DSP {

namespace {

SimpleOscillatorConfig LfoConfig(float frequencyHz, float amplitude) {
    SimpleOscillatorConfig config;
    config.SetFrequency(frequencyHz);
    config.SetAmplitude(amplitude);
    config.SetPhase(0.f);
    return config;
}

// Bin j of an n-bin array, a position before the first or after the last bin mirrored about
// that end bin (−1 → 1, n → n − 2); kept within the array when n is too small to mirror.
int MirroredBin(int j, int nBins) {
    if (j < 0)
        j = -j;
    if (j > nBins - 1)
        j = 2 * (nBins - 1) - j;
    return std::clamp(j, 0, nBins - 1);
}

} // namespace

// The oscillators' construction values only matter until the first frame, which hands them
// the controls' rates and depths.
SpectralAmplitudeModulation::SpectralAmplitudeModulation()
    : mLowOscillator(LfoConfig(0.5f, 0.4f)), mMidOscillator(LfoConfig(1.0f, 0.7f)),
      mHighOscillator(LfoConfig(2.0f, 0.3f)) {}

bool SpectralAmplitudeModulation::ConcreteConfigure(const ProcessingConfig& config) {
    if (!FrameTransformationTmpl<Spectrum>::ConcreteConfigure(config))
        return false;
    ReserveBins(mGains, kPreparedBins);
    ReserveBins(mSmoothed, kPreparedBins);
    return true;
}

bool SpectralAmplitudeModulation::ConcreteStart() {
    mLowOscillator.Start();
    mMidOscillator.Start();
    mHighOscillator.Start();
    return InitControls();
}

bool SpectralAmplitudeModulation::InitControls() {
    FrameTransformationTmpl<Spectrum>::InitControls();
    mLowCutoff.DoControl(500.f);
    mHighCutoff.DoControl(2000.f);
    mLfFreq.DoControl(4.f);
    mLfWidth.DoControl(0.25f);
    mMfFreq.DoControl(6.f);
    mMfWidth.DoControl(0.25f);
    mHfFreq.DoControl(8.f);
    mHfWidth.DoControl(0.2f);
    // Called once per frame, each oscillator advances by a hop per call.
    const float hopSamples = GlobalProcessInfo::GetFrameSize();
    for (SimpleOscillator* oscillator : {&mLowOscillator, &mMidOscillator, &mHighOscillator})
        oscillator->GetSamplesBetweenCallsControl().DoControl(hopSamples);
    return true;
}

float SpectralAmplitudeModulation::NextModulation(Band band) {
    band.oscillator.GetPitchControl().DoControl(band.rate.GetLastValue());
    band.oscillator.GetAmplitudeControl().DoControl(band.width.GetLastValue());
    float value = 0.f;
    band.oscillator.Do(value);
    return value;
}

void SpectralAmplitudeModulation::SmoothGains(int nBins) {
    const float* g = mGains.GetPtr();
    float* smoothed = mSmoothed.GetPtr();
    // The kernel (0.25, 0.75, 1, 0.75, 0.25) / 3 sums to 1, so a flat gain stays flat. The two
    // bins at each end read mirrored neighbours; the interior reads straight through.
    auto smooth = [&](int k, auto at) {
        const double sum =
            0.25 * at(k - 2) + 0.75 * at(k - 1) + at(k) + 0.75 * at(k + 1) + 0.25 * at(k + 2);
        smoothed[k] = static_cast<float>(sum / 3.0);
    };
    auto mirrored = [&](int j) { return g[MirroredBin(j, nBins)]; };
    auto straight = [&](int j) { return g[j]; };
    const int edge = std::min(2, nBins);
    for (int k = 0; k < edge; ++k)
        smooth(k, mirrored);
    for (int k = 2; k <= nBins - 3; ++k)
        smooth(k, straight);
    for (int k = std::max(edge, nBins - 2); k < nBins; ++k)
        smooth(k, mirrored);
}

bool SpectralAmplitudeModulation::Do(const Spectrum& in, Spectrum& out) {
    if (&in != &out)
        out = in;
    const int n = out.GetSize();
    SizeBins(mGains, n);
    SizeBins(mSmoothed, n);

    const ThreeBandLimits limits =
        ComputeThreeBandLimits(n, GlobalProcessInfo::GetSpectralRange(), mLowCutoff.GetLastValue(),
                               mHighCutoff.GetLastValue());

    // Each oscillator advances exactly once per frame, however wide its band. With the low
    // limit above the high one the middle band is empty and the high band wins the overlap.
    const float low = 1.f + NextModulation({mLfFreq, mLfWidth, mLowOscillator});
    std::fill(mGains.GetPtr(), mGains.GetPtr() + limits.low, low);
    const float mid = 1.f + NextModulation({mMfFreq, mMfWidth, mMidOscillator});
    for (int k = limits.low; k < limits.high; ++k)
        mGains[k] = mid;
    const float high = 1.f + NextModulation({mHfFreq, mHfWidth, mHighOscillator});
    std::fill(mGains.GetPtr() + limits.high, mGains.GetPtr() + n, high);

    SmoothGains(n);
    Array<float>& magnitudes = out.GetMagBuffer();
    for (int k = 0; k < n; ++k)
        magnitudes[k] = FiniteOrZero(magnitudes[k] * mSmoothed[k]);
    return true;
}

} // namespace DSP
