#pragma once

#include "DSP/Data/Spectrum.hpp"
#include "DSP/Processing/Base/InControl.hpp"
#include "DSP/Processing/Base/Processing.hpp"
#include "DSP/Processing/Transformations/FDCombFilterConfig.hpp"

#include <vector>

namespace DSP {

// Multiplies a spectrum by a comb response tuned to the frequency F of its "Frequency"
// control (Hz, initially 0): with N bins and sample rate sr, bin k is multiplied by
// H = ((1 + cos θ) / 2, (1 - sin θ) / 2), θ = k · 2π / (2 F N / sr), using the fast sine,
// cosine, square root and arc tangent.
//
// Do(in, out) reads in's magnitudes (either scale) and phases and writes out's magnitude and
// phase buffers, N of each, in out's scale; both carry magnitude and phase buffers and may be
// the same object. With F <= 0 (or not a number, or so small that the angles overflow) it
// returns false and leaves out unchanged.
//
// Real time: the linear magnitudes of an input in dB live in a member; no allocation once out
// and that member have held N bins (configuring prepares 1025). Do on the calling thread;
// "Frequency" may be set from another thread. Configured with the default configuration when built.
class FDCombFilter : public Processing {
public:
    FDCombFilter();
    explicit FDCombFilter(const FDCombFilterConfig& config);

    const char* GetDSPClassName() const override { return "FDCombFilter"; }
    const ProcessingConfig& GetConfig() const override { return mConfig; }

    bool Do(const Spectrum& in, Spectrum& out);
    // Always fails: "FDCombFilter::Do(): Supervised mode not implemented".
    bool Do() override;

    InControl& GetFrequencyControl() { return mFrequency; }

protected:
    // Takes an FDCombFilterConfig; refuses anything else.
    bool ConcreteConfigure(const ProcessingConfig& config) override;

private:
    FDCombFilterConfig mConfig;
    InControl mFrequency{"Frequency", this};
    // The linear magnitudes of an input in dB.
    std::vector<float> mLinearMag;
};

} // namespace DSP
