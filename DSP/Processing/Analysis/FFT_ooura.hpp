#pragma once

#include "DSP/Processing/Analysis/FFT.hpp"
#include "DSP/Processing/Analysis/RealDFT.hpp"

namespace DSP {

/// Forward real FFT of a power-of-two size N >= 2, in single precision.
///
/// Do(in, out) transforms the N samples of in in place (they end as the packed transform of
/// RealDFT) and writes N/2 + 1 magnitudes and phases into out: unscaled (bin 0 holds the plain
/// sum of the samples), phases in radians with the usual sign, X[k] = sum x[j] e^(-i 2 pi j k / N).
/// A bin within 1e-6 of an axis is snapped onto it (phase exactly 0, pi/2, pi or -pi/2).
/// Magnitudes and phases use the fast square root and arc tangent.
///
/// Tables are built at configuration when the size changes; Do allocates nothing. Configure
/// while stopped; Do on the audio thread.
class FFT_ooura : public FFT_base {
public:
    FFT_ooura();
    explicit FFT_ooura(const FFTConfig& config);
    ~FFT_ooura() override;

    const char* GetDSPClassName() const override { return "FFT_ooura"; }

    /// Sizes the output port's spectrum to N/2 + 1, transforms the input port's audio into it,
    /// consumes and produces.
    bool Do() override;
    /// Throws (changing nothing) if in does not hold exactly N samples or out's magnitude and
    /// phase buffers have no room for N/2 + 1 values; returns false if the transform is not
    /// configured.
    bool Do(Audio& in, Spectrum& out) override;

    bool MayDisableExecution() const override { return true; }
    /// The transform produces magnitude and phase only; nothing to do.
    void ToComplex(Spectrum&) override {}

    void SetupMemory();
    void ReleaseMemory();

protected:
    /// Refuses sizes that are not a power of two (with a status message), 0 and 1.
    bool ConcreteConfigure(const ProcessingConfig& config) override;

private:
    // Magnitude and phase of the packed transform at mFFTBuffer into out.
    void ToMagPhase(Spectrum& out) const;

    RealDFT mTransform;
};

} // namespace DSP
