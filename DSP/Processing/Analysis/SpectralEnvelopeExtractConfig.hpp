#pragma once

#include "DSP/Data/EInterpolation.hpp"
#include "DSP/Processing/Base/ProcessingConfig.hpp"

namespace DSP {

// How a SpectralEnvelopeExtract builds envelopes: the interpolation of the magnitude curve
// (default "Spline") and the most points an envelope may have (default 200, at least 3).
class SpectralEnvelopeExtractConfig : public ProcessingConfig {
public:
    const char* GetDSPClassName() const override { return "SpectralEnvelopeExtractConfig"; }

    const EInterpolation& GetInterpolationType() const { return mInterpolation; }
    void SetInterpolationType(const EInterpolation& type) { mInterpolation = type; }
    int GetMaxPoints() const { return mMaxPoints; }
    void SetMaxPoints(int points) { mMaxPoints = points; }

private:
    EInterpolation mInterpolation{EInterpolation::eSpline};
    int mMaxPoints = 200;
};

} // namespace DSP
