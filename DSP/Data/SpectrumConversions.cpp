#include "DSP/Data/SpectrumConversions.hpp"

#include "DSP/Misc/FastMathBlock.hpp"

#include <type_traits>

namespace DSP {

namespace {
template <typename T> void AssertProperSize(Array<T>& array, int size) {
    if (array.Size() != size) {
        array.Resize(size);
        array.SetSize(size);
    }
}
} // namespace

// The block conversions see complex bins as interleaved real and imaginary parts; each gives
// bit for bit what Mag(), Ang() and ToPolar() give.
static_assert(sizeof(ComplexTmpl<float>) == 2 * sizeof(float) &&
                  std::is_standard_layout_v<ComplexTmpl<float>>,
              "complex bins are two floats, real part first");

void ComplexBinsToMagPhase(const ComplexTmpl<float>* bins, float* mag, float* phase, int n) {
    MagAngleFromInterleaved(reinterpret_cast<const float*>(bins), n, mag, phase);
}

void MagPhaseBinsToComplex(const float* mag, const float* phase, ComplexTmpl<float>* bins, int n) {
    InterleavedFromPolar(mag, phase, false, n, reinterpret_cast<float*>(bins));
}

void PolarBinsToMagPhase(const PolarTmpl<float>* bins, float* mag, float* phase, int n) {
    for (int i = 0; i < n; ++i) {
        mag[i] = bins[i].Mag();
        phase[i] = bins[i].Ang();
    }
}

void MagPhaseBinsToPolar(const float* mag, const float* phase, PolarTmpl<float>* bins, int n) {
    for (int i = 0; i < n; ++i)
        bins[i] = PolarTmpl<float>(mag[i], phase[i]);
}

void Complex2MagPhase(const Array<ComplexTmpl<float>>& complex, Array<float>& mag,
                      Array<float>& phase) {
    const int n = complex.Size();
    AssertProperSize(mag, n);
    AssertProperSize(phase, n);
    ComplexBinsToMagPhase(complex.GetPtr(), mag.GetPtr(), phase.GetPtr(), n);
}

void Polar2MagPhase(const Array<PolarTmpl<float>>& polar, Array<float>& mag, Array<float>& phase) {
    const int n = polar.Size();
    AssertProperSize(mag, n);
    AssertProperSize(phase, n);
    PolarBinsToMagPhase(polar.GetPtr(), mag.GetPtr(), phase.GetPtr(), n);
}

void BPF2MagPhase(const BPFTmpl<float, float>& magBPF, const BPFTmpl<float, float>& phaseBPF,
                  Array<float>& mag, Array<float>& phase, int size, float spectralRange) {
    AssertProperSize(mag, size);
    AssertProperSize(phase, size);
    // The frequency is accumulated, not multiplied out, so the sampling points carry the
    // same rounding as those of every other caller that walks bins this way.
    const float binSpacingHz = spectralRange / static_cast<float>(size - 1);
    float freqHz = 0.f;
    for (int i = 0; i < size; ++i) {
        mag[i] = magBPF.GetValue(freqHz);
        phase[i] = phaseBPF.GetValue(freqHz);
        freqHz += binSpacingHz;
    }
}

} // namespace DSP
