#pragma once

#include "DSP/Data/SpectralPeakArray.hpp"
#include "DSP/Data/Spectrum.hpp"
#include "DSP/Processing/Base/Processing.hpp"
#include "DSP/Processing/Transformations/SpectralEnvelopeApplyConfig.hpp"

namespace DSP {

// Imposes a spectral envelope (as SpectralEnvelopeExtract builds it: a magnitude function of
// frequency in Hz, read with its own interpolation, its spline table up to date) on peaks or
// on a spectrum. The envelope and the input must share one scale; otherwise Do throws
// "You are trying to apply an envelope that has a different scale" and changes nothing.
//
// Do(peaks in, envelope, peaks out): out gets in's capacity, number of peaks, frequencies and
// phases, and the envelope's magnitude at each frequency; bin positions, bin widths and
// indices of out are left as they were. in and out may be the same object.
//
// Do(spectrum in, envelope, spectrum out): out becomes a copy of in whose magnitude buffer
// holds the envelope at each bin's frequency (bin k at k × spectral range / (size - 1), the
// process-wide spectral range). in must carry magnitude and phase buffers.
//
// Real time: no allocation once out has held peaks or bins of the size of in. Do on the
// calling thread only. Configured with the default configuration when built.
class SpectralEnvelopeApply : public Processing {
public:
    SpectralEnvelopeApply();
    explicit SpectralEnvelopeApply(const SpectralEnvelopeApplyConfig& config);

    const char* GetDSPClassName() const override { return "SpectralEnvelopeApply"; }
    const ProcessingConfig& GetConfig() const override { return mConfig; }

    bool Do(const SpectralPeakArray& in, const Spectrum& envelope, SpectralPeakArray& out);
    bool Do(const Spectrum& in, const Spectrum& envelope, Spectrum& out);
    // Always fails: "SpectralEnvelopeApply::Do(): Supervised mode not implemented".
    bool Do() override;

protected:
    // Takes a SpectralEnvelopeApplyConfig; refuses anything else.
    bool ConcreteConfigure(const ProcessingConfig& config) override;

private:
    SpectralEnvelopeApplyConfig mConfig;
};

} // namespace DSP
