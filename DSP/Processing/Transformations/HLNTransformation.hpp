#pragma once

#include "DSP/Processing/Transformations/FrameTransformation.hpp"

namespace DSP {

// Base of the harmonic effects: transforms one DSP::Frame per hop (sinusoidal peaks,
// fundamental and residual). Built configured with a default FrameTransformationConfig; an
// effect that needs its configuration overrides ConcreteConfigure to store it.
class HLNTransformation : public FrameTransformation {
public:
    HLNTransformation();

protected:
    // Keeps nothing and accepts any configuration.
    bool ConcreteConfigure(const ProcessingConfig& config) override;
};

} // namespace DSP
