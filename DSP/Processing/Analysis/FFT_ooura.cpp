#include "DSP/Processing/Analysis/FFT_ooura.hpp"

#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Misc/Err.hpp"
#include "DSP/Misc/FastMath.hpp"
#include "DSP/Misc/FastMathBlock.hpp"

#include <cmath>
#include <string>

namespace DSP {

namespace {

bool IsPowerOfTwo(int n) {
    return n > 0 && (n & (n - 1)) == 0;
}

constexpr float kPi = 3.1415927f;

} // namespace

FFT_ooura::FFT_ooura() = default;

FFT_ooura::FFT_ooura(const FFTConfig& config) : FFT_ooura() {
    Configure(config);
}

FFT_ooura::~FFT_ooura() {
    ReleaseMemory();
}

void FFT_ooura::SetupMemory() {
    mTransform.Setup(mSize);
}

void FFT_ooura::ReleaseMemory() {
    mTransform.Release();
}

bool FFT_ooura::ConcreteConfigure(const ProcessingConfig& config) {
    const int previousSize = mSize;
    const bool baseAccepted = FFT_base::ConcreteConfigure(config);
    if (mSize == 0) {
        ReleaseMemory();
        return false;
    }
    if (!baseAccepted)
        return false;
    if (!IsPowerOfTwo(mSize)) {
        AddConfigErrorMessage("Configure failed: FFT Ooura algorithm only works for input buffers "
                              "that are a power of two!");
        return false;
    }
    // A one-sample frame has no separate Nyquist value for the packed layout to hold.
    if (mSize < 2) {
        AddConfigErrorMessage("Configure failed: FFT Ooura algorithm needs at least two samples!");
        return false;
    }
    if (mSize != previousSize || mTransform.GetSize() != mSize) {
        ReleaseMemory();
        SetupMemory();
    }
    return true;
}

bool FFT_ooura::Do(Audio& in, Spectrum& out) {
    if (!mTransform.IsReady() || mTransform.GetSize() != mSize)
        return false;
    const int bins = mSize / 2 + 1;
    // Checked before the transform overwrites the input, so a refused call changes nothing.
    DSP_CHECK(in.GetSize() == mSize, std::string("FFT::Do: Wrong size in FFT Audio input\n") +
                                         "  Expected: " + std::to_string(mSize) + ", used " +
                                         std::to_string(in.GetSize()));
    DSP_CHECK(
        out.GetMagBuffer().AllocatedSize() >= bins && out.GetPhaseBuffer().AllocatedSize() >= bins,
        std::string("FFT::Do: wrong size  Spectrum.\n") + "  Expected: " + std::to_string(bins) +
            ", used " + std::to_string(out.GetSize()));
    mFFTBuffer = in.GetBuffer().GetPtr();
    mTransform.Transform(mFFTBuffer, 1);
    out.SetSpectralRange(GlobalProcessInfo::GetSpectralRange());
    ToMagPhase(out);
    return true;
}

bool FFT_ooura::Do() {
    Spectrum& out = mOutput.GetData();
    out.SetSize(mInput.GetSize() / 2 + 1);
    Do(mInput.GetAudio(), out);
    mInput.Consume();
    mOutput.Produce();
    return true;
}

void FFT_ooura::ToMagPhase(Spectrum& out) const {
    const float* a = mFFTBuffer;
    const int half = mSize / 2;
    Array<float>& magnitude = out.GetMagBuffer();
    Array<float>& phase = out.GetPhaseBuffer();
    magnitude.SetSize(half + 1);
    phase.SetSize(half + 1);
    float* mag = magnitude.GetPtr();
    float* ph = phase.GetPtr();
    // DC and Nyquist are real: a negative one keeps its sign as the phase pi, so that the
    // inverse transform gives it back.
    mag[0] = DSP_sqrt(a[0] * a[0]);
    ph[0] = a[0] < 0.0f ? kPi : 0.0f;
    mag[half] = DSP_sqrt(a[1] * a[1]);
    ph[half] = a[1] < 0.0f ? kPi : 0.0f;
    PolarFromInterleaved(a + 2, true, half - 1, mag + 1, ph + 1);
}

} // namespace DSP
