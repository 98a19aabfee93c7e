#pragma once

#include "DSP/Data/Audio.hpp"
#include "DSP/Data/Fundamental.hpp"
#include "DSP/Data/SpectralPeakArray.hpp"
#include "DSP/Data/Spectrum.hpp"
#include "DSP/Misc/Component.hpp"

namespace DSP {

// One hop of the harmonic analysis-transformation-synthesis path: the analysis writes the
// spectra, peaks, fundamental and voiced flag; effects transform them; the synthesis fills the
// synthesized spectrum and the three output audio blocks. A negative center time marks a frame
// that carries nothing to synthesize. Owners reuse one frame from hop to hop.
//
// Frames compare by center time only, and the ordering runs opposite to it: a < b holds when
// a's center time is greater than b's.
class Frame : public Component {
public:
    const char* GetDSPClassName() const override { return "Frame"; }
    Frame* Species() const override { return new Frame(); }
    Frame* DeepCopy() const override { return new Frame(*this); }
    Frame* ShallowCopy() const override { return new Frame(*this); }

    float GetCenterTime() const { return mCenterTime; }
    void SetCenterTime(float centerTime) { mCenterTime = centerTime; }
    float GetDuration() const { return mDuration; }
    void SetDuration(float duration) { mDuration = duration; }

    // The main spectrum: the residual-branch analysis spectrum after harmonic analysis.
    Spectrum& GetSpectrum() { return mSpectrum; }
    const Spectrum& GetSpectrum() const { return mSpectrum; }
    Spectrum& GetSinusoidalAnalSpectrum() { return mSinusoidalAnalSpectrum; }
    const Spectrum& GetSinusoidalAnalSpectrum() const { return mSinusoidalAnalSpectrum; }
    SpectralPeakArray& GetSpectralPeakArray() { return mSpectralPeakArray; }
    const SpectralPeakArray& GetSpectralPeakArray() const { return mSpectralPeakArray; }
    Fundamental& GetFundamental() { return mFundamental; }
    const Fundamental& GetFundamental() const { return mFundamental; }
    Spectrum& GetSynthSpectrum() { return mSynthSpectrum; }
    const Spectrum& GetSynthSpectrum() const { return mSynthSpectrum; }
    Spectrum& GetResidualSpec() { return mResidualSpec; }
    const Spectrum& GetResidualSpec() const { return mResidualSpec; }
    Spectrum& GetSinusoidalSpec() { return mSinusoidalSpec; }
    const Spectrum& GetSinusoidalSpec() const { return mSinusoidalSpec; }
    // The hop's input samples.
    Audio& GetAudioFrame() { return mAudioFrame; }
    const Audio& GetAudioFrame() const { return mAudioFrame; }
    Audio& GetSinusoidalAudioFrame() { return mSinusoidalAudioFrame; }
    const Audio& GetSinusoidalAudioFrame() const { return mSinusoidalAudioFrame; }
    Audio& GetResidualAudioFrame() { return mResidualAudioFrame; }
    const Audio& GetResidualAudioFrame() const { return mResidualAudioFrame; }
    Audio& GetSynthAudioFrame() { return mSynthAudioFrame; }
    const Audio& GetSynthAudioFrame() const { return mSynthAudioFrame; }

    // Set by the analysis when the first fundamental candidate is above 0 Hz.
    bool GetIsVoiced() const { return mIsVoiced; }
    void SetIsVoiced(bool voiced) { mIsVoiced = voiced; }
    // When set, the synthesis uses the sinusoidal spectrum as it is instead of building it
    // from the peaks.
    bool GetIsSinusoidalSpectrumReady() const { return mIsSinusoidalSpectrumReady; }
    void SetIsSinusoidalSpectrumReady(bool ready) { mIsSinusoidalSpectrumReady = ready; }

    // Forwarded to the main spectrum.
    float GetMag(int bin) const { return mSpectrum.GetMag(bin); }
    float GetMag(float freqHz) const { return mSpectrum.GetMag(freqHz); }
    float GetPhase(int bin) const { return mSpectrum.GetPhase(bin); }
    float GetPhase(float freqHz) const { return mSpectrum.GetPhase(freqHz); }
    void SetMag(int bin, float mag) { mSpectrum.SetMag(bin, mag); }
    void SetMag(float freqHz, float mag) { mSpectrum.SetMag(freqHz, mag); }
    void SetPhase(int bin, float phase) { mSpectrum.SetPhase(bin, phase); }
    void SetPhase(float freqHz, float phase) { mSpectrum.SetPhase(freqHz, phase); }

    // Forwarded to the residual spectrum.
    float GetResMag(int bin) const { return mResidualSpec.GetMag(bin); }
    float GetResMag(float freqHz) const { return mResidualSpec.GetMag(freqHz); }
    float GetResPhase(int bin) const { return mResidualSpec.GetPhase(bin); }
    float GetResPhase(float freqHz) const { return mResidualSpec.GetPhase(freqHz); }
    void SetResMag(int bin, float mag) { mResidualSpec.SetMag(bin, mag); }
    void SetResMag(float freqHz, float mag) { mResidualSpec.SetMag(freqHz, mag); }
    void SetResPhase(int bin, float phase) { mResidualSpec.SetPhase(bin, phase); }
    void SetResPhase(float freqHz, float phase) { mResidualSpec.SetPhase(freqHz, phase); }

    // Forwarded to the spectral peaks.
    SpectralPeak GetSpectralPeak(int i) const { return mSpectralPeakArray.GetSpectralPeak(i); }
    void SetSpectralPeak(int i, const SpectralPeak& peak, int index = -1) {
        mSpectralPeakArray.SetSpectralPeak(i, peak, index);
    }
    void AddSpectralPeak(const SpectralPeak& peak, bool addIndex = false, int index = -1) {
        mSpectralPeakArray.AddSpectralPeak(peak, addIndex, index);
    }
    void InsertSpectralPeak(int i, const SpectralPeak& peak, bool insertIndex = false,
                            int index = -1) {
        mSpectralPeakArray.InsertSpectralPeak(i, peak, insertIndex, index);
    }
    void DeleteSpectralPeak(int i, bool deleteIndex = false) {
        mSpectralPeakArray.DeleteSpectralPeak(i, deleteIndex);
    }

    // Forwarded to the fundamental.
    float GetFundamentalFreq(int i) const { return mFundamental.GetFreq(i); }
    void SetFundamentalFreq(int i, float freqHz) { mFundamental.SetFreq(i, freqHz); }
    float GetFundamentalErr(int i) const { return mFundamental.GetErr(i); }
    void SetFundamentalErr(int i, float err) { mFundamental.SetErr(i, err); }

    bool operator==(const Frame& other) const { return mCenterTime == other.mCenterTime; }
    bool operator!=(const Frame& other) const { return mCenterTime != other.mCenterTime; }
    bool operator<(const Frame& other) const { return mCenterTime > other.mCenterTime; }
    bool operator<=(const Frame& other) const { return mCenterTime >= other.mCenterTime; }
    bool operator>(const Frame& other) const { return mCenterTime < other.mCenterTime; }
    bool operator>=(const Frame& other) const { return mCenterTime <= other.mCenterTime; }

private:
    float mCenterTime = -1.f;
    float mDuration = -1.f;
    Spectrum mSpectrum;
    Spectrum mSinusoidalAnalSpectrum;
    SpectralPeakArray mSpectralPeakArray;
    Fundamental mFundamental;
    Spectrum mSynthSpectrum;
    Spectrum mResidualSpec;
    Spectrum mSinusoidalSpec;
    Audio mAudioFrame;
    Audio mSinusoidalAudioFrame;
    Audio mResidualAudioFrame;
    Audio mSynthAudioFrame;
    bool mIsVoiced = false;
    bool mIsSinusoidalSpectrumReady = false;
};

} // namespace DSP
