#pragma once

#include "DSP/Processing/Base/Processing.hpp"
#include "DSP/Processing/Transformations/FrameTransformationConfig.hpp"

#include <atomic>

namespace DSP {

class Frame;

// Base of every effect: takes one analysed frame per hop and writes a transformed one.
//
// Lifecycle: the owner configures the effect, starts it (which gives every control its
// initial value through InitControls) and then calls Do once per hop on the render thread.
// Controls and mAmount may be written from another thread between or during Do calls: both
// are atomic floats, read whole with relaxed order.
class FrameTransformation : public Processing {
public:
    FrameTransformation() = default;

    // The stored configuration. The base ConcreteConfigure stores nothing, so an effect that
    // does not override it reports a default configuration (InPlace false).
    const ProcessingConfig& GetConfig() const override { return mConfig; }

    // Transforms one harmonic frame; in and out may be the same object.
    virtual bool Do(const Frame& in, Frame& out) = 0;

    // Gives every control its initial value; the base sets mAmount to 0.
    virtual bool InitControls();

    // Called when the effect's program becomes current. The base does nothing and returns
    // false.
    virtual bool Reset() { return false; }

    using Processing::Do;

    // The effect's principal value, for effects without a named control for it; the engine
    // writes it directly, from the thread that changed the document.
    std::atomic<float> mAmount{0.f};

protected:
    // Keeps nothing and accepts any configuration.
    bool ConcreteConfigure(const ProcessingConfig& config) override;
    // Resets every control to its initial value.
    bool ConcreteStart() override { return InitControls(); }

    FrameTransformationConfig mConfig;
};

} // namespace DSP
