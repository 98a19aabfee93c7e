#pragma once

#include "DSP/Processing/Base/ProcessingConfig.hpp"

namespace DSP {

// SpectralEnvelopeApply has nothing to configure.
class SpectralEnvelopeApplyConfig : public ProcessingConfig {
public:
    const char* GetDSPClassName() const override { return "SpectralEnvelopeApplyConfig"; }
};

} // namespace DSP
