#pragma once

#include "DSP/Data/SpectralPeakArray.hpp"
#include "DSP/Data/Spectrum.hpp"
#include "DSP/Misc/Ports/InPort.hpp"
#include "DSP/Misc/Ports/OutPort.hpp"
#include "DSP/Processing/Analysis/SpectralPeakDetectConfig.hpp"
#include "DSP/Processing/Base/Processing.hpp"

namespace DSP {

// The spectral peaks of one magnitude/phase spectrum in dB: every local maximum strictly above
// MagThreshold, in increasing bin order, with a parabolically interpolated bin position,
// magnitude (dB) and frequency (Hz), a phase interpolated between the two enclosing bins and a
// width in whole bins. Bin position p stands for p * SR * 0.5 / (N - 1) Hz, with N the bin
// count and SR the process-wide sample rate read at every call.
//
// A bin is a peak only when it and both its neighbours hold finite magnitudes, so NaN or
// infinite magnitudes never yield a peak; a non-finite interpolated phase is reported as 0.
//
// Real time: Do(in, out) allocates nothing once out's capacity equals MaxPeaks; the owner sizes
// it at configuration (out.SetnMaxPeaks(MaxPeaks), with minimize-resizes left on), otherwise
// the first call sizes it. The port-driven Do additionally re-sizes its work spectrum when a
// linear-scale input changes its bin count. Configure while stopped; Do on the audio thread.
class SpectralPeakDetect : public Processing {
public:
    SpectralPeakDetect();
    explicit SpectralPeakDetect(const SpectralPeakDetectConfig& config);
    ~SpectralPeakDetect() override;

    const char* GetDSPClassName() const override { return "SpectralPeakDetect"; }
    const ProcessingConfig& GetConfig() const override { return mConfig; }

    // Detects the peaks of in (magnitudes in dB, read from its magnitude and phase buffers;
    // the scale is not checked) into out, replacing out's peaks. Returns true.
    bool Do(const Spectrum& in, SpectralPeakArray& out);
    // The input port's spectrum (converted to dB in a work copy when it is linear) into the
    // output port's peak array, whose scale becomes "Log"; consumes and produces.
    /// Gives the port-driven form's dB copy the storage of `prototype` (a spectrum like those
    /// that will arrive), so that converting a linear input never allocates. For the owner's
    /// thread, at configuration.
    void PrepareWorkSpectrum(const Spectrum& prototype) { mWorkSpectrum = prototype; }
    bool Do() override;

    InPort<Spectrum>& GetInput() { return mInput; }
    OutPort<SpectralPeakArray>& GetOutput() { return mOutput; }

protected:
    // Copies the configuration; always succeeds.
    bool ConcreteConfigure(const ProcessingConfig& config) override;

private:
    // The scan's view of one call: the spectrum, the sample rate and the run counter.
    struct Scan;

    void CloseWidthAtHalfDistance(Scan& scan, SpectralPeakArray& out, int k) const;
    void MoveToFlatTopMiddle(const Scan& scan, SpectralPeakArray& out, int k) const;
    // Appends the interpolated peak of bins k, k + 1, k + 2; false when it lies above MaxFreq.
    bool AppendInterpolatedPeak(const Scan& scan, SpectralPeakArray& out, int k) const;
    // Makes the work spectrum a dB copy of a linear input, as far as the scan reads it.
    void CopyInDb(const Spectrum& input);

    SpectralPeakDetectConfig mConfig;
    InPort<Spectrum> mInput{"Input spectrum", this};
    OutPort<SpectralPeakArray> mOutput{"Output spectral peak array", this};
    Spectrum mWorkSpectrum;
};

} // namespace DSP
