#include "DSP/Processing/Analysis/SpectrumSubstracter2.hpp"

#include "DSP/Processing/Analysis/MagPhaseSum.hpp"

namespace DSP {

SpectrumSubstracter2::SpectrumSubstracter2()
    : mInput1("Input 1", this), mInput2("Input 2", this), mOutput("Output", this) {}

SpectrumSubstracter2::~SpectrumSubstracter2() = default;

bool SpectrumSubstracter2::ConcreteConfigure(const ProcessingConfig& config) {
    if (dynamic_cast<const SpecSubstracter2Config*>(&config) == nullptr) {
        AddConfigErrorMessage("Config should be a SpecSubstracter2Config");
        return false;
    }
    return true;
}

bool SpectrumSubstracter2::Do(Spectrum& in1, Spectrum& in2, Spectrum& out) {
    MagPhaseSum(in1, in2, -1.f, out);
    return true;
}

bool SpectrumSubstracter2::Do() {
    Spectrum& in1 = mInput1.GetData();
    Spectrum& out = mOutput.GetData();
    out.SetSize(in1.GetSize());
    out.SetSpectralRange(in1.GetSpectralRange());
    const bool result = Do(in1, mInput2.GetData(), out);
    mInput1.Consume();
    mInput2.Consume();
    mOutput.Produce();
    return result;
}

} // namespace DSP
