#pragma once

#include "DSP/Processing/Analysis/RealDFT.hpp"
#include "DSP/Processing/Synthesis/IFFT.hpp"

namespace DSP {

/// Inverse real FFT of a power-of-two size N >= 2, in single precision.
///
/// Do(in, out) reads N/2 + 1 bins of in (its complex form if it has one, else its magnitudes
/// and phases) and writes N samples into out, scaled by 2/N so that it undoes FFT_ooura:
/// x[j] = (1/N) sum over all N bins of X[k] e^(+i 2 pi j k / N). The imaginary parts of the DC
/// and Nyquist bins are ignored. A spectrum with neither form gives N zeros. Magnitude and phase
/// are turned into parts with the fast cosine and sine.
///
/// Tables are rebuilt at every configuration; Do allocates nothing. Configure while stopped; Do
/// on the audio thread.
class IFFT_ooura : public IFFT_base {
public:
    IFFT_ooura();
    explicit IFFT_ooura(const IFFTConfig& config);
    ~IFFT_ooura() override;

    const char* GetDSPClassName() const override { return "IFFT_ooura"; }

    /// Transforms the input port's spectrum into the output port's audio; consumes and
    /// produces.
    bool Do() override;
    /// Throws (changing nothing) if out holds fewer than N samples or in's source form holds
    /// fewer than N/2 + 1 bins. With N = 0 it writes nothing.
    bool Do(const Spectrum& in, Audio& out) const override;

    /// Pack in's complex bins, or its magnitudes and phases, into the transform layout.
    void ComplexToIFFTOoura(const Spectrum& in, float* buffer) const;
    void MagPhaseToIFFTOoura(const Spectrum& in, float* buffer) const;

    void SetupMemory();
    void ReleaseMemory();

protected:
    /// Refuses sizes that are not a power of two (with a status message) and 1; accepts 0
    /// without tables.
    bool ConcreteConfigure(const ProcessingConfig& config) override;

private:
    RealDFT mTransform;
};

} // namespace DSP
