#pragma once

#include "DSP/Data/BPF.hpp"
#include "DSP/Data/SpectralPeakArray.hpp"
#include "DSP/Data/Spectrum.hpp"
#include "DSP/Processing/Analysis/SpectralEnvelopeExtractConfig.hpp"
#include "DSP/Processing/Base/Processing.hpp"

namespace DSP {

// Turns the spectral peaks of one frame into a spectral envelope: a break-point function of
// magnitude over frequency (Hz) through the peaks, with a point at 0 Hz below the first one
// (3 dB or half the magnitude lower) and a falling extension beyond the last one, spaced like
// the last two peaks, down to -200 dB (1e-10 linear) or the configured maximum of points.
//
// Do(peaks, envelope) needs at least four peaks with finite values and strictly ascending
// positive frequencies; it uses at most M - 1 of them (M = the configured maximum of points).
// The envelope gets the peaks' scale, the type {MagPhaseBPF} alone, both functions (the
// magnitude one with the configured interpolation, its spline table built; the phase one
// linear, 0 beyond the peaks) and a size equal to their point count. With unusable peaks Do
// returns false and the envelope keeps its points.
//
// Real time: Do allocates only while an envelope grows beyond every point count it has held;
// PrepareEnvelope makes room for M points at configuration. Configure while stopped; Do on the
// calling thread only. Configured with the default configuration when built.
class SpectralEnvelopeExtract : public Processing {
public:
    SpectralEnvelopeExtract();
    explicit SpectralEnvelopeExtract(const SpectralEnvelopeExtractConfig& config);

    const char* GetDSPClassName() const override { return "SpectralEnvelopeExtract"; }
    const ProcessingConfig& GetConfig() const override { return mConfig; }

    bool Do(const SpectralPeakArray& peaks, Spectrum& envelope);
    // Always fails: "SpectralEnvelopeExtract::Do(): Supervised mode not implemented".
    bool Do() override;

    // Gives envelope the type {MagPhaseBPF} and storage (points and spline table) for the
    // configured maximum of points, and leaves it with no points. Configuration time.
    void PrepareEnvelope(Spectrum& envelope) const;

protected:
    // Takes a SpectralEnvelopeExtractConfig with at least 3 points; refuses anything else.
    bool ConcreteConfigure(const ProcessingConfig& config) override;

private:
    // Writes point 0, the peaks and the extension into envelope's functions (sized to M);
    // returns the number of points written.
    int WritePoints(const SpectralPeakArray& peaks, int nPeaks, Spectrum& envelope) const;

    SpectralEnvelopeExtractConfig mConfig;
    // Carry the interpolation types that every envelope's functions take.
    BPFTmpl<float, float> mMagBPF;
    BPFTmpl<float, float> mPhaseBPF;
};

} // namespace DSP
