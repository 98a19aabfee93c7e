#pragma once

#include "DSP/Data/BPF.hpp"
#include "DSP/Data/Complex.hpp"
#include "DSP/Data/EScale.hpp"
#include "DSP/Data/Polar.hpp"
#include "DSP/Data/SpectrumTypeFlags.hpp"
#include "DSP/Misc/Array.hpp"
#include "DSP/Misc/Component.hpp"

namespace DSP {

// What a spectrum is configured from: its scale, the frequency of its last bin, its bin
// count, the representations it carries and the point count of its break-point functions.
class SpectrumConfig {
public:
    const EScale& GetScale() const { return mScale; }
    void SetScale(const EScale& scale) { mScale = scale; }
    float GetSpectralRange() const { return mSpectralRange; }
    void SetSpectralRange(float spectralRangeHz) { mSpectralRange = spectralRangeHz; }
    int GetSize() const { return mSize; }
    void SetSize(int bins) { mSize = bins; }
    const SpecTypeFlags& GetType() const { return mType; }
    void SetType(const SpecTypeFlags& type) { mType = type; }
    int GetBPFSize() const { return mBPFSize; }
    void SetBPFSize(int points) { mBPFSize = points; }

private:
    EScale mScale;
    float mSpectralRange = 22050.f;
    int mSize = 0;
    SpecTypeFlags mType;
    int mBPFSize = 0;
};

// A one-sided short-time spectrum of size bins. Bin k lies at k * spectralRange / (size - 1)
// Hz: bin 0 is DC and the last bin is the spectral range (half the sample rate). Magnitudes
// are linear or in dB (GetScale); phases are radians.
//
// The same bins can be held in up to four representations at once, named by the type flags:
// complex bins, polar bins, separate magnitude and phase buffers, and two break-point
// functions over frequency (Hz). Every present representation has exactly size elements (the
// functions GetBPFSize() points); the storage of absent ones is kept but stale. Nothing
// converts on its own: SetType only sizes storage, and the owner calls SynchronizeTo or
// SetTypeSynchronize when it needs another representation filled. Conversions use the fast
// square root, sine, cosine and arc tangent and carry their approximation error.
//
// Not synchronised: one thread at a time. Sizing only ever grows the storage: once a spectrum
// has held a size, element access, conversions, scale changes and resizing up to that size do
// not allocate.
class Spectrum : public Component {
public:
    Spectrum();
    explicit Spectrum(const SpectrumConfig& config);

    const char* GetDSPClassName() const override { return "Spectrum"; }
    Spectrum* Species() const override { return new Spectrum(); }
    Spectrum* DeepCopy() const override { return new Spectrum(*this); }
    Spectrum* ShallowCopy() const override { return new Spectrum(*this); }

    void Configure(const SpectrumConfig& config);
    void GetConfig(SpectrumConfig& config) const;

    // Sets the type and sizes every present representation; no data is converted.
    void SetType(const SpecTypeFlags& type);
    void GetType(SpecTypeFlags& type) const { type = mType; }
    const SpecTypeFlags& GetType() const { return mType; }
    void SetSize(int bins);
    int GetSize() const { return mSize; }
    void SetBPFSize(int points);
    // The point count of the break-point functions while they are present, else the size.
    int GetBPFSize() const;

    const EScale& GetScale() const { return mScale; }
    void SetScale(const EScale& scale) { mScale = scale; }
    float GetSpectralRange() const { return mSpectralRange; }
    void SetSpectralRange(float spectralRangeHz) { mSpectralRange = spectralRangeHz; }

    Array<float>& GetMagBuffer() { return mMagBuffer; }
    const Array<float>& GetMagBuffer() const { return mMagBuffer; }
    Array<float>& GetPhaseBuffer() { return mPhaseBuffer; }
    const Array<float>& GetPhaseBuffer() const { return mPhaseBuffer; }
    Array<PolarTmpl<float>>& GetPolarArray() { return mPolarArray; }
    const Array<PolarTmpl<float>>& GetPolarArray() const { return mPolarArray; }
    Array<ComplexTmpl<float>>& GetComplexArray() { return mComplexArray; }
    const Array<ComplexTmpl<float>>& GetComplexArray() const { return mComplexArray; }
    BPFTmpl<float, float>& GetMagBPF() { return mMagBPF; }
    const BPFTmpl<float, float>& GetMagBPF() const { return mMagBPF; }
    BPFTmpl<float, float>& GetPhaseBPF() { return mPhaseBPF; }
    const BPFTmpl<float, float>& GetPhaseBPF() const { return mPhaseBPF; }

    // The bin nearest to freqHz (ties to even); freqHz must lie within 0 ... spectral range.
    int IndexFromFreq(float freqHz) const;

    // Reads from the first present representation: by bin, magnitude/phase buffers, then the
    // break-point functions, polar, complex; by frequency the break-point functions come first
    // and are interpolated at freqHz. Throws ErrAssertionFailed when no representation is set.
    float GetMag(int bin) const;
    float GetMag(float freqHz) const;
    float GetPhase(int bin) const;
    float GetPhase(float freqHz) const;
    // Writes the magnitude into every present representation (a complex bin keeps its angle).
    void SetMag(int bin, float mag);
    void SetMag(float freqHz, float mag);
    // Writes the phase into the first present representation only (order as for GetMag(int)).
    void SetPhase(int bin, float phase);
    void SetPhase(float freqHz, float phase);

    // Conversions over GetSize() bins from the named representation of source (which may be
    // this spectrum) into this spectrum's storage of the target representation, which holds
    // GetSize() elements afterwards; the bin count and the type do not change. A source with
    // fewer bins is refused with ErrAssertionFailed.
    void Complex2MagPhase(const Spectrum& source);
    void Complex2MagPhase() { Complex2MagPhase(*this); }
    // Sizes of the two arrays must match (ErrAssertionFailed otherwise).
    void Complex2Polar(const Spectrum& source);
    void Polar2Complex(const Spectrum& source);
    void Polar2MagPhase(const Spectrum& source);
    void MagPhase2Polar(const Spectrum& source);
    void MagPhase2Polar() { MagPhase2Polar(*this); }
    void MagPhase2Complex(const Spectrum& source);
    // Converts this spectrum's buffers into its complex bins and makes the type {Complex}.
    void MagPhase2Complex();
    // Fills both functions with one point per bin; the BPF size becomes the bin count.
    void MagPhase2BPF(const Spectrum& source);
    void MagPhase2BPF() { MagPhase2BPF(*this); }
    void BPF2MagPhase(const Spectrum& source);

    // Brings every representation present here in line with the one representation of
    // source that sourceType names first (order: MagPhase, Complex, Polar, MagPhaseBPF).
    // The source representation itself is not copied.
    void SynchronizeTo(const SpecTypeFlags& sourceType, const Spectrum& source);
    void SynchronizeTo(const Spectrum& source) { SynchronizeTo(source.mType, source); }
    void SynchronizeTo(const SpecTypeFlags& sourceType) { SynchronizeTo(sourceType, *this); }
    // Changes the type to newType, filling representations that appear from the present ones.
    void SetTypeSynchronize(const SpecTypeFlags& newType);

    // Linear magnitudes to dB (magnitudes below 1e-5 become -200 dB) and back (-200 dB and
    // below become 0). Each does nothing when the scale is already the target one.
    void ToDB();
    void ToLinear();

private:
    void PRSetType(const SpecTypeFlags& type, int bins, int bpfPoints);
    bool Has(int representation) const { return mType.IsSetFlag(representation); }
    void ResizeMagPhaseBuffers(int bins);
    void CheckMagPhaseSource(const Spectrum& source) const;
    // Distance in Hz between neighbouring bins (0 for fewer than two bins).
    float BinSpacingHz() const;

    EScale mScale;
    float mSpectralRange = 22050.f;
    int mSize = 0;
    int mBPFSize = 0;
    Array<float> mMagBuffer;
    Array<float> mPhaseBuffer;
    Array<PolarTmpl<float>> mPolarArray;
    BPFTmpl<float, float> mMagBPF;
    BPFTmpl<float, float> mPhaseBPF;
    Array<ComplexTmpl<float>> mComplexArray;
    SpecTypeFlags mType;
};

} // namespace DSP
