#pragma once

#include "DSP/Data/Complex.hpp"
#include "DSP/Data/SpectralPeakArray.hpp"
#include "DSP/Data/Spectrum.hpp"
#include "DSP/Misc/Array.hpp"
#include "DSP/Misc/Ports/InPort.hpp"
#include "DSP/Misc/Ports/OutPort.hpp"
#include "DSP/Processing/Base/Processing.hpp"
#include "DSP/Processing/Synthesis/SynthSineSpectrumConfig.hpp"

namespace DSP {

// Builds the complex short-time spectrum of a set of sinusoids directly in the frequency
// domain: each peak adds the main lobe of the 92 dB Blackman-Harris window's transform,
// scaled by its amplitude, rotated by its phase and centred on its fractional bin
// (frequency * (2N - 2) / sample rate). What falls below bin 0 or above bin N - 1 is folded
// back as the complex conjugate, as the mirror half of a real signal's spectrum would be.
//
// One Do takes peaks in Hz with linear or dB magnitudes (by the array's scale) and phases in
// radians, and writes a linear, complex-only spectrum of N = SpectrumSize bins. The sample
// rate is read from GlobalProcessInfo on every Do. A lobe at unit amplitude has 1.0 at its
// centre, so a sinusoid analysed with a window that sums to 2 is rebuilt at its own level.
//
// Real time: Do sums the lobes in `out` itself and allocates nothing once `out` holds N
// complex bins (otherwise it grows once). Configure and Do on one thread.
class SynthSineSpectrum : public Processing {
public:
    // Entries of the main-lobe table: +-4 bins at 512 entries per bin, centre at entry 2048.
    static constexpr int kMainLobeSize = 4096;

    SynthSineSpectrum();
    explicit SynthSineSpectrum(const SynthSineSpectrumConfig& config);
    ~SynthSineSpectrum() override;

    const char* GetDSPClassName() const override { return "SynthSineSpectrum"; }
    const ProcessingConfig& GetConfig() const override { return mConfig; }

    // Synthesizes peaks into out; returns true. The sinusoids are always synthesized at unit
    // gain: `gain` is accepted for the callers, which all pass 1.0, and is not applied.
    // A peak whose amplitude, phase or position is not finite adds nothing.
    bool Do(const SpectralPeakArray& peaks, Spectrum& out, double gain);
    // The same on the ports' data with gain 1.0; consumes and produces.
    bool Do() override;
    // What Do makes of no peaks: out gets N complex bins (linear, complex only), all zero.
    void WriteSilence(Spectrum& out) const;

    // Main-lobe table entry i (the lobe at (i - 2048) / 512 bins from its centre, 1.0 at the
    // centre); 0 outside 0 ... 4095. The table is built on first use; Configure builds it.
    static double MainLobe(int i);

    InPort<SpectralPeakArray>& GetInput() { return mInput; }
    OutPort<Spectrum>& GetOutput() { return mOutput; }

protected:
    // Copies the configuration; always succeeds.
    bool ConcreteConfigure(const ProcessingConfig& config) override;

private:
    SynthSineSpectrumConfig mConfig;
    int mBins = 0;
    InPort<SpectralPeakArray> mInput{"Input", this};
    OutPort<Spectrum> mOutput{"Output", this};
};

} // namespace DSP
