#pragma once

#include "DSP/Data/BPF.hpp"
#include "DSP/Processing/Base/ProcessingConfig.hpp"

namespace DSP {

// How a frame transformation is configured. Only the harmonic effects keep it (their own
// ConcreteConfigure stores it); the short-time spectral effects ignore it and always start
// from a copy of their input.
class FrameTransformationConfig : public ProcessingConfig {
public:
    const char* GetDSPClassName() const override { return "FrameTransformationConfig"; }

    // When false an effect first copies its input into its output; when true the caller
    // guarantees that the output already holds the input (or that it does not matter).
    bool GetInPlace() const { return mInPlace; }
    void SetInPlace(bool inPlace) { mInPlace = inPlace; }

    // A break-point function that parameterizes an effect; copied with the configuration.
    const BPFTmpl<float, float>& GetAmountCurve() const { return mAmountCurve; }
    BPFTmpl<float, float>& GetAmountCurve() { return mAmountCurve; }
    void SetAmountCurve(const BPFTmpl<float, float>& curve) { mAmountCurve = curve; }

private:
    bool mInPlace = false;
    BPFTmpl<float, float> mAmountCurve;
};

} // namespace DSP
