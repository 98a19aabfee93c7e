#include "DSP/Processing/Synthesis/IFFT_ooura.hpp"

#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Misc/Err.hpp"
#include "DSP/Misc/FastMath.hpp"
#include "DSP/Misc/FastMathBlock.hpp"

#include <string>

namespace DSP {

namespace {

bool IsPowerOfTwoOrZero(int n) {
    return n >= 0 && (n & (n - 1)) == 0;
}

} // namespace

IFFT_ooura::IFFT_ooura() = default;

IFFT_ooura::IFFT_ooura(const IFFTConfig& config) : IFFT_ooura() {
    Configure(config);
}

IFFT_ooura::~IFFT_ooura() {
    ReleaseMemory();
}

void IFFT_ooura::SetupMemory() {
    mTransform.Setup(mSize);
}

void IFFT_ooura::ReleaseMemory() {
    mTransform.Release();
}

bool IFFT_ooura::ConcreteConfigure(const ProcessingConfig& config) {
    const auto* concrete = dynamic_cast<const IFFTConfig*>(&config);
    if (concrete == nullptr) {
        AddConfigErrorMessage("Config should be an IFFTConfig");
        return false;
    }
    mConfig = *concrete;
    mSize = mConfig.GetAudioSize();
    if (!IsPowerOfTwoOrZero(mSize)) {
        AddConfigErrorMessage("Configure failed: IFFT Ooura algorithm only works for input "
                              "buffers that are a power of two!");
        return false;
    }
    // A one-sample frame has no separate Nyquist value for the packed layout to hold.
    if (mSize == 1) {
        AddConfigErrorMessage("Configure failed: IFFT Ooura algorithm needs at least two samples!");
        return false;
    }
    ReleaseMemory();
    if (mSize > 0) {
        SetupMemory();
        // The port-driven Do writes one frame per step.
        mOutput.SetSize(mSize);
        mOutput.SetHop(mSize);
    }
    return true;
}

bool IFFT_ooura::Do(const Spectrum& in, Audio& out) const {
    if (mTransform.GetSize() != mSize)
        return false;
    if (mSize == 0) {
        out.SetSampleRate(GlobalProcessInfo::GetSampleRate());
        return true;
    }
    const int bins = mSize / 2 + 1;
    const SpecTypeFlags& type = in.GetType();
    const bool complex = type.IsSetFlag(SpecTypeFlags::eComplex);
    const bool magPhase = type.IsSetFlag(SpecTypeFlags::eMagPhase);
    // Checked before anything is written, so a refused call changes nothing.
    DSP_CHECK(out.GetSize() >= mSize, std::string("IFFT::Do: Wrong size in IFFT Audio output\n") +
                                          "  Expected: " + std::to_string(mSize) + ", used " +
                                          std::to_string(out.GetSize()));
    const int available = complex ? in.GetComplexArray().Size()
                          : magPhase
                              ? std::min(in.GetMagBuffer().Size(), in.GetPhaseBuffer().Size())
                              : bins;
    DSP_CHECK(available >= bins, std::string("IFFT::Do: wrong size  Spectrum.\n") + "  Expected: " +
                                     std::to_string(bins) + ", used " + std::to_string(available));

    out.SetSampleRate(GlobalProcessInfo::GetSampleRate());
    float* buffer = out.GetBuffer().GetPtr();
    if (complex) {
        ComplexToIFFTOoura(in, buffer);
    } else if (magPhase) {
        MagPhaseToIFFTOoura(in, buffer);
    } else {
        for (int i = 0; i < mSize; ++i)
            buffer[i] = 0.0f;
        return true;
    }
    mTransform.Transform(buffer, -1);
    const double scale = 2.0 / mSize;
    for (int i = 0; i < mSize; ++i)
        buffer[i] = float(buffer[i] * scale);
    return true;
}

bool IFFT_ooura::Do() {
    Do(mInput.GetData(), mOutput.GetAudio());
    mInput.Consume();
    mOutput.Produce();
    return true;
}

void IFFT_ooura::ComplexToIFFTOoura(const Spectrum& in, float* buffer) const {
    const Array<ComplexTmpl<float>>& bins = in.GetComplexArray();
    const int half = mSize / 2;
    buffer[0] = bins[0].Real();
    buffer[1] = bins[half].Real();
    for (int k = 1; k < half; ++k) {
        buffer[2 * k] = bins[k].Real();
        buffer[2 * k + 1] = -bins[k].Imag();
    }
}

void IFFT_ooura::MagPhaseToIFFTOoura(const Spectrum& in, float* buffer) const {
    const float* mag = in.GetMagBuffer().GetPtr();
    const float* phase = in.GetPhaseBuffer().GetPtr();
    const int half = mSize / 2;
    buffer[0] = DSP_cos(phase[0]) * mag[0];
    buffer[1] = DSP_cos(phase[half]) * mag[half];
    InterleavedFromPolar(mag + 1, phase + 1, true, half - 1, buffer + 2);
}

} // namespace DSP
