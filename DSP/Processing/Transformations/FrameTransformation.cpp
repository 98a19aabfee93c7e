#include "DSP/Processing/Transformations/FrameTransformation.hpp"

namespace DSP {

bool FrameTransformation::InitControls() {
    mAmount.store(0.f, std::memory_order_relaxed);
    return true;
}

bool FrameTransformation::ConcreteConfigure(const ProcessingConfig&) {
    return true;
}

} // namespace DSP
