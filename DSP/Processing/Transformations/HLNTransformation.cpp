#include "DSP/Processing/Transformations/HLNTransformation.hpp"

namespace DSP {

// Configure runs while this base is being built, so it reaches this class's
// ConcreteConfigure, not a derived one: the effect's own configuration comes later.
HLNTransformation::HLNTransformation() {
    Configure(FrameTransformationConfig());
}

bool HLNTransformation::ConcreteConfigure(const ProcessingConfig&) {
    return true;
}

} // namespace DSP
