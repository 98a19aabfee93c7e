#include "DSP/Data/Spectrum.hpp"

#include "DSP/Data/ArrayToBPFCnv.hpp"
#include "DSP/Data/ComplexToPolarCnv.hpp"
#include "DSP/Data/Decibels.hpp"
#include "DSP/Data/SpectrumConversions.hpp"
#include "DSP/Misc/Err.hpp"

#include <cmath>

namespace DSP {

namespace {
constexpr int kComplex = SpecTypeFlags::eComplex;
constexpr int kPolar = SpecTypeFlags::ePolar;
constexpr int kMagPhase = SpecTypeFlags::eMagPhase;
constexpr int kMagPhaseBPF = SpecTypeFlags::eMagPhaseBPF;

// The size becomes n. The capacity only ever grows, so that a spectrum whose size moves
// between values it has held before (an envelope whose point count changes from frame to
// frame) never reallocates.
template <typename Container> void SizeRepresentation(Container& c, int n) {
    if (c.AllocatedSize() < n)
        c.Resize(n);
    c.SetSize(n);
}

// Scales a complex bin so that its length becomes convert(its length). A zero bin has no
// direction to keep and stays zero in both scales.
template <typename Convert> void ConvertComplexLength(ComplexTmpl<float>& c, Convert convert) {
    const float length = c.Mag();
    if (length == 0.f)
        return;
    const float factor = convert(length) / length;
    c = ComplexTmpl<float>(c.Real() * factor, c.Imag() * factor);
}
} // namespace

Spectrum::Spectrum() : Spectrum(SpectrumConfig()) {}

Spectrum::Spectrum(const SpectrumConfig& config) {
    Configure(config);
}

void Spectrum::Configure(const SpectrumConfig& config) {
    mScale = config.GetScale();
    mSpectralRange = config.GetSpectralRange();
    // A spectrum that already has break-point functions takes the configured point count;
    // one that gets them now starts with one point per bin.
    const int bpfPoints = Has(kMagPhaseBPF) ? config.GetBPFSize() : config.GetSize();
    PRSetType(config.GetType(), config.GetSize(), bpfPoints);
}

void Spectrum::GetConfig(SpectrumConfig& config) const {
    config.SetType(mType);
    config.SetSize(mSize);
    config.SetSpectralRange(mSpectralRange);
    config.SetScale(mScale);
    if (GetBPFSize() >= 0 && GetBPFSize() != mSize)
        config.SetBPFSize(GetBPFSize());
}

void Spectrum::PRSetType(const SpecTypeFlags& type, int bins, int bpfPoints) {
    mType = type;
    SetSize(bins);
    SetBPFSize(bpfPoints);
}

void Spectrum::SetType(const SpecTypeFlags& type) {
    PRSetType(type, mSize, Has(kMagPhaseBPF) ? mBPFSize : mSize);
}

void Spectrum::SetSize(int bins) {
    mSize = bins;
    if (Has(kMagPhase))
        ResizeMagPhaseBuffers(bins);
    if (Has(kPolar))
        SizeRepresentation(mPolarArray, bins);
    if (Has(kComplex))
        SizeRepresentation(mComplexArray, bins);
    if (Has(kMagPhaseBPF)) {
        SizeRepresentation(mMagBPF, bins);
        SizeRepresentation(mPhaseBPF, bins);
    }
}

void Spectrum::SetBPFSize(int points) {
    mBPFSize = points;
    if (Has(kMagPhaseBPF)) {
        SizeRepresentation(mMagBPF, points);
        SizeRepresentation(mPhaseBPF, points);
    }
}

int Spectrum::GetBPFSize() const {
    return Has(kMagPhaseBPF) ? mBPFSize : mSize;
}

void Spectrum::ResizeMagPhaseBuffers(int bins) {
    SizeRepresentation(mMagBuffer, bins);
    SizeRepresentation(mPhaseBuffer, bins);
}

float Spectrum::BinSpacingHz() const {
    return mSize > 1 ? mSpectralRange / static_cast<float>(mSize - 1) : 0.f;
}

int Spectrum::IndexFromFreq(float freqHz) const {
    // Single precision and round-half-to-even, so that a frequency maps to the same bin
    // everywhere the library converts it.
    const float position = static_cast<float>(mSize - 1) / mSpectralRange * freqHz;
    return static_cast<int>(std::lrintf(position));
}

float Spectrum::GetMag(int bin) const {
    if (Has(kMagPhase))
        return mMagBuffer[bin];
    if (Has(kMagPhaseBPF))
        return mMagBPF.GetValueFromIndex(bin);
    if (Has(kPolar))
        return mPolarArray[bin].Mag();
    if (Has(kComplex))
        return mComplexArray[bin].Mag();
    throw ErrAssertionFailed("Spectrum::GetMag: Spectrum no initialized", __FILE__, __LINE__);
}

float Spectrum::GetMag(float freqHz) const {
    if (Has(kMagPhaseBPF))
        return mMagBPF.GetValue(freqHz);
    DSP_CHECK(Has(kMagPhase) || Has(kPolar) || Has(kComplex),
              "Spectrum::GetMag: Spectrum no initialized");
    return GetMag(IndexFromFreq(freqHz));
}

float Spectrum::GetPhase(int bin) const {
    if (Has(kMagPhase))
        return mPhaseBuffer[bin];
    if (Has(kMagPhaseBPF))
        return mPhaseBPF.GetValueFromIndex(bin);
    if (Has(kPolar))
        return mPolarArray[bin].Ang();
    if (Has(kComplex))
        return mComplexArray[bin].Ang();
    throw ErrAssertionFailed("Spectrum::GetPhase: Spectrum no initialized", __FILE__, __LINE__);
}

float Spectrum::GetPhase(float freqHz) const {
    if (Has(kMagPhaseBPF))
        return mPhaseBPF.GetValue(freqHz);
    DSP_CHECK(Has(kMagPhase) || Has(kPolar) || Has(kComplex),
              "Spectrum::GetPhase: Spectrum no initialized");
    return GetPhase(IndexFromFreq(freqHz));
}

void Spectrum::SetMag(int bin, float mag) {
    if (Has(kMagPhase))
        mMagBuffer[bin] = mag;
    if (Has(kMagPhaseBPF))
        mMagBPF.SetValue(bin, mag);
    if (Has(kPolar))
        mPolarArray[bin].SetMag(mag);
    if (Has(kComplex))
        mComplexArray[bin].ToPolar(mag, mComplexArray[bin].Ang());
}

void Spectrum::SetMag(float freqHz, float mag) {
    SetMag(IndexFromFreq(freqHz), mag);
}

void Spectrum::SetPhase(int bin, float phase) {
    if (Has(kMagPhase)) {
        mPhaseBuffer[bin] = phase;
    } else if (Has(kMagPhaseBPF)) {
        mPhaseBPF.SetValue(bin, phase);
    } else if (Has(kPolar)) {
        mPolarArray[bin].SetAng(phase);
    } else if (Has(kComplex)) {
        mComplexArray[bin].ToPolar(mComplexArray[bin].Mag(), phase);
    }
}

void Spectrum::SetPhase(float freqHz, float phase) {
    SetPhase(IndexFromFreq(freqHz), phase);
}

// The conversions below read the first GetSize() bins of the source and write this
// spectrum's storage of the target representation, which they first size to GetSize() bins
// (a no-op once sized): a representation converted into before it is present (as
// SynchronizeTo does for scratch buffers) then never writes past its storage.

void Spectrum::Complex2MagPhase(const Spectrum& source) {
    DSP_CHECK(source.mComplexArray.Size() >= mSize,
              "Spectrum::Complex2MagPhase: the source holds fewer complex bins than this spectrum");
    ResizeMagPhaseBuffers(mSize);
    ComplexBinsToMagPhase(source.mComplexArray.GetPtr(), mMagBuffer.GetPtr(), mPhaseBuffer.GetPtr(),
                          mSize);
}

void Spectrum::Complex2Polar(const Spectrum& source) {
    ComplexToPolarCnv<float>().ToPolar(source.mComplexArray, mPolarArray);
}

void Spectrum::Polar2Complex(const Spectrum& source) {
    ComplexToPolarCnv<float>().ToComplex(source.mPolarArray, mComplexArray);
}

void Spectrum::Polar2MagPhase(const Spectrum& source) {
    DSP_CHECK(source.mPolarArray.Size() >= mSize,
              "Spectrum::Polar2MagPhase: the source holds fewer polar bins than this spectrum");
    ResizeMagPhaseBuffers(mSize);
    PolarBinsToMagPhase(source.mPolarArray.GetPtr(), mMagBuffer.GetPtr(), mPhaseBuffer.GetPtr(),
                        mSize);
}

void Spectrum::MagPhase2Polar(const Spectrum& source) {
    CheckMagPhaseSource(source);
    SizeRepresentation(mPolarArray, mSize);
    MagPhaseBinsToPolar(source.mMagBuffer.GetPtr(), source.mPhaseBuffer.GetPtr(),
                        mPolarArray.GetPtr(), mSize);
}

void Spectrum::MagPhase2Complex(const Spectrum& source) {
    CheckMagPhaseSource(source);
    SizeRepresentation(mComplexArray, mSize);
    MagPhaseBinsToComplex(source.mMagBuffer.GetPtr(), source.mPhaseBuffer.GetPtr(),
                          mComplexArray.GetPtr(), mSize);
}

void Spectrum::MagPhase2Complex() {
    MagPhase2Complex(*this);
    mType = SpecTypeFlags({SpecTypeFlags::eComplex});
}

void Spectrum::MagPhase2BPF(const Spectrum& source) {
    // A spectrum without bins gives functions without points; there is nothing to convert.
    if (mSize > 0)
        CheckMagPhaseSource(source);
    mBPFSize = mSize;
    SizeRepresentation(mMagBPF, mSize);
    SizeRepresentation(mPhaseBPF, mSize);
    if (mSize == 0)
        return;
    const float binSpacingHz = BinSpacingHz();
    ConvertToBPF(mMagBPF, 0.f, binSpacingHz, source.mMagBuffer);
    ConvertToBPF(mPhaseBPF, 0.f, binSpacingHz, source.mPhaseBuffer);
}

void Spectrum::BPF2MagPhase(const Spectrum& source) {
    ResizeMagPhaseBuffers(mSize);
    const float binSpacingHz = BinSpacingHz();
    for (int i = 0; i < mSize; ++i) {
        const float freqHz = static_cast<float>(i) * binSpacingHz;
        mMagBuffer[i] = source.mMagBPF.GetValue(freqHz);
        mPhaseBuffer[i] = source.mPhaseBPF.GetValue(freqHz);
    }
}

void Spectrum::CheckMagPhaseSource(const Spectrum& source) const {
    DSP_CHECK(source.mMagBuffer.Size() >= mSize && source.mPhaseBuffer.Size() >= mSize,
              "Spectrum: the source holds fewer magnitudes and phases than this spectrum");
}

void Spectrum::SynchronizeTo(const SpecTypeFlags& sourceType, const Spectrum& source) {
    if (sourceType.IsSetFlag(kMagPhase)) {
        if (Has(kPolar))
            MagPhase2Polar(source);
        if (Has(kComplex))
            MagPhase2Complex(source);
        if (Has(kMagPhaseBPF))
            MagPhase2BPF(source);
    } else if (sourceType.IsSetFlag(kComplex)) {
        if (Has(kPolar))
            Complex2Polar(source);
        if (Has(kMagPhase))
            Complex2MagPhase(source);
        if (Has(kMagPhaseBPF)) {
            // The functions are built from magnitude and phase buffers; without that
            // representation the buffers serve as scratch space.
            if (!Has(kMagPhase))
                Complex2MagPhase(source);
            MagPhase2BPF();
        }
    } else if (sourceType.IsSetFlag(kPolar)) {
        if (Has(kComplex))
            Polar2Complex(source);
        if (Has(kMagPhase))
            Polar2MagPhase(source);
        if (Has(kMagPhaseBPF)) {
            if (!Has(kMagPhase))
                Polar2MagPhase(source);
            MagPhase2BPF();
        }
    } else if (sourceType.IsSetFlag(kMagPhaseBPF)) {
        BPF2MagPhase(source);
        if (Has(kPolar))
            MagPhase2Polar();
        // The form that keeps the type: synchronising fills representations, it never
        // removes one from the type.
        if (Has(kComplex))
            MagPhase2Complex(*this);
    }
}

void Spectrum::SetTypeSynchronize(const SpecTypeFlags& newType) {
    const SpecTypeFlags oldType = mType;
    SpecTypeFlags both = oldType;
    for (unsigned i = 0; i < both.GetNFlags(); ++i)
        both.SetFlag(i, oldType.IsSetFlag(i) || newType.IsSetFlag(i));
    SetType(both);
    SynchronizeTo(oldType, *this);
    SetType(newType);
}

void Spectrum::ToDB() {
    if (mScale.GetValue() != EScale::eLinear)
        return;
    if (Has(kMagPhase))
        LinearBlockToDbWithSilence(mMagBuffer.GetPtr(), mSize, mMagBuffer.GetPtr());
    if (Has(kPolar))
        for (int i = 0; i < mSize; ++i)
            mPolarArray[i].SetMag(LinearToDbWithSilence(mPolarArray[i].Mag()));
    if (Has(kComplex))
        for (int i = 0; i < mSize; ++i)
            ConvertComplexLength(mComplexArray[i], LinearToDbWithSilence);
    if (Has(kMagPhaseBPF))
        for (int i = 0; i < mMagBPF.Size(); ++i)
            mMagBPF.SetValue(i, LinearToDbWithSilence(mMagBPF.GetValueFromIndex(i)));
    mScale.SetValue(EScale::eLog);
}

void Spectrum::ToLinear() {
    if (mScale.GetValue() != EScale::eLog)
        return;
    if (Has(kMagPhase))
        for (int i = 0; i < mSize; ++i)
            mMagBuffer[i] = DbToLinearWithSilence(mMagBuffer[i]);
    if (Has(kPolar))
        for (int i = 0; i < mSize; ++i)
            mPolarArray[i].SetMag(DbToLinearWithSilence(mPolarArray[i].Mag()));
    if (Has(kComplex))
        for (int i = 0; i < mSize; ++i)
            ConvertComplexLength(mComplexArray[i], DbToLinear);
    if (Has(kMagPhaseBPF))
        for (int i = 0; i < mMagBPF.Size(); ++i)
            mMagBPF.SetValue(i, DbToLinearWithSilence(mMagBPF.GetValueFromIndex(i)));
    mScale.SetValue(EScale::eLinear);
}

} // namespace DSP
