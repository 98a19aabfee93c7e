#pragma once

#include "DSP/Processing/Base/Processing.hpp"
#include "DSP/Processing/Transformations/FrameTransformationConfig.hpp"

#include <string>

namespace DSP {

// The ConcreteConfigure step the harmonic effects share: keeps config in stored when it is a
// FrameTransformationConfig; otherwise refuses it with a status text on owner.
inline bool StoreTransformationConfig(Processing& owner, const ProcessingConfig& config,
                                      FrameTransformationConfig& stored) {
    const auto* transformationConfig = dynamic_cast<const FrameTransformationConfig*>(&config);
    if (transformationConfig == nullptr) {
        owner.AddConfigErrorMessage(std::string(owner.GetDSPClassName()) +
                                    " needs a FrameTransformationConfig.");
        return false;
    }
    stored = *transformationConfig;
    return true;
}

} // namespace DSP
