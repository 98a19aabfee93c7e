#pragma once

#include "DSP/Processing/Base/ProcessingConfig.hpp"

namespace DSP {

/// Configuration of CircularShift.
class CircularShiftConfig : public ProcessingConfig {
public:
    /// Shift in samples (default 0); positive rotates toward higher indices. Truncated toward
    /// zero when the shift is configured.
    float GetAmount() const { return mAmount; }
    void SetAmount(float samples) { mAmount = samples; }

private:
    float mAmount = 0.0f;
};

} // namespace DSP
