#pragma once

#include "DSP/Processing/Base/ProcessingConfig.hpp"

namespace DSP {

// The size of the spectra SynthSineSpectrum builds and the zero padding of the analysis
// window whose main lobes they must match.
class SynthSineSpectrumConfig : public ProcessingConfig {
public:
    const char* GetDSPClassName() const override { return "SynthSineSpectrumConfig"; }

    // Number of bins N of the synthesized spectrum (default 1024).
    int GetSpectrumSize() const { return mSpectrumSize; }
    void SetSpectrumSize(int bins) { mSpectrumSize = bins; }
    // Zero-padding exponent z of the analysis window; a lobe is 8 * 2^z bins wide (default 0).
    float GetZeroPadding() const { return mZeroPadding; }
    void SetZeroPadding(float exponent) { mZeroPadding = exponent; }

private:
    int mSpectrumSize = 1024;
    float mZeroPadding = 0.f;
};

} // namespace DSP
