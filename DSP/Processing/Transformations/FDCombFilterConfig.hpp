#pragma once

#include "DSP/Processing/Base/ProcessingConfig.hpp"

namespace DSP {

// FDCombFilter has nothing to configure.
class FDCombFilterConfig : public ProcessingConfig {
public:
    const char* GetDSPClassName() const override { return "FDCombFilterConfig"; }
};

} // namespace DSP
