#include "DSP/Processing/Analysis/FFT.hpp"

#include "DSP/Misc/Err.hpp"

#include <string>

namespace DSP {

const SpecTypeFlags FFT_base::sComplexFlags({SpecTypeFlags::eComplex});

FFT_base::FFT_base() : mInput("Audio Input", this), mOutput("Spectrum Output", this) {}

FFT_base::~FFT_base() = default;

bool FFT_base::ConcreteConfigure(const ProcessingConfig& config) {
    const auto* concrete = dynamic_cast<const FFTConfig*>(&config);
    if (concrete == nullptr) {
        AddConfigErrorMessage("Config should be an FFTConfig");
        return false;
    }
    // Checked before anything changes.
    DSP_CHECK(concrete->GetAudioSize() >= 0, "Negative Size in FFT configuration");
    const int previousSize = mSize;
    mConfig = *concrete;
    mSize = mConfig.GetAudioSize();
    if (mSize > 0) {
        mInput.SetSize(mSize);
        mInput.SetHop(mSize);
    }
    mState = eOthersOnly;
    if (mSize != previousSize) {
        if (mSize == 0) {
            mFFTBuffer = nullptr;
            return false;
        }
        SpectrumConfig complexForm;
        complexForm.SetType(sComplexFlags);
        complexForm.SetSize(mSize);
        mComplexSpectrum.Configure(complexForm);
    }
    return true;
}

void FFT_base::CheckTypes(const Audio& in, const Spectrum& out) const {
    DSP_CHECK(in.GetSize() == mSize, std::string("FFT::Do: Wrong size in FFT Audio input\n") +
                                         "  Expected: " + std::to_string(mSize) + ", used " +
                                         std::to_string(in.GetSize()));
    DSP_CHECK(out.GetSize() == mSize / 2 + 1, std::string("FFT::Do: wrong size  Spectrum.\n") +
                                                  "  Expected: " + std::to_string(mSize / 2 + 1) +
                                                  ", used " + std::to_string(out.GetSize()));
}

void FFT_base::SetPrototypes(const Audio& in, const Spectrum& out) {
    CheckTypes(in, out);
    const SpecTypeFlags& type = out.GetType();
    const bool complex = type.IsSetFlag(SpecTypeFlags::eComplex);
    const bool others = type.IsSetFlag(SpecTypeFlags::ePolar) ||
                        type.IsSetFlag(SpecTypeFlags::eMagPhase) ||
                        type.IsSetFlag(SpecTypeFlags::eMagPhaseBPF);
    DSP_CHECK(complex || others, "FFT_numrec: SetPrototypes(): Spectrum with no attributes!");
    if (complex)
        mState = others ? eComplexAndOthers : eComplexOnly;
    else
        mState = eOthersOnly;
}

void FFT_base::ChangeSize(int n) {
    DSP_CHECK(n >= 0, "Wrong (negative) Size in control input.");
    DSP_CHECK(false, "Controls not yet implemented.");
}

void FFT_base::ToOther(Spectrum& out) {
    if (out.GetType().IsSetFlag(SpecTypeFlags::eComplex)) {
        ToComplex(out);
        out.SynchronizeTo(sComplexFlags);
    } else {
        ToComplex(mComplexSpectrum);
        out.SynchronizeTo(mComplexSpectrum);
    }
}

} // namespace DSP
