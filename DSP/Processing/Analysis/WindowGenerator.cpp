#include "DSP/Processing/Analysis/WindowGenerator.hpp"

#include "DSP/Misc/Err.hpp"
#include "DSP/Misc/FastMath.hpp"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace DSP {

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr float kPi = 3.1415927f;

// Writes value(n) at n and N-1-n for n < N/2, and value(N/2) at the centre of an odd length.
template <class Value> void FillSymmetric(Array<float>& out, int N, Value value) {
    const int half = N / 2;
    for (int n = 0; n < half; ++n) {
        const float v = value(n);
        out[n] = v;
        out[N - 1 - n] = v;
    }
    if (N % 2 == 1)
        out[half] = value(half);
}

// Angle of sample n for the raised-cosine family: n * 2 pi / (N - 1), the product taken in
// double and rounded once. A one-sample window is its own centre, at pi.
float CosineAngle(int n, int N) {
    if (N < 2)
        return kPi;
    return float(n * (kTwoPi / (N - 1)));
}

void BlackmanHarrisX(int N, Array<float>& out, float a0, float a1, float a2, float a3) {
    FillSymmetric(out, N, [&](int n) {
        const float t = CosineAngle(n, N);
        return a0 - a1 * DSP_cos(t) + a2 * DSP_cos(2.0f * t) - a3 * DSP_cos(3.0f * t);
    });
}

void BlackmanHarris92(int N, Array<float>& out) {
    BlackmanHarrisX(N, out, 0.35875f, 0.48829f, 0.14128f, 0.01168f);
}

void Hamming(int N, Array<float>& out) {
    FillSymmetric(out, N, [&](int n) { return 0.54f - 0.46f * DSP_cos(CosineAngle(n, N)); });
}

void Triangular(int N, Array<float>& out) {
    FillSymmetric(out, N, [&](int n) { return N < 2 ? 1.0f : 2.0f * float(n) / float(N - 1); });
}

// The main lobe (eight bins) of the transform of a 512-point 92 dB Blackman-Harris window,
// sampled at N points across it and scaled to 1 at its centre. Each cosine term of the window
// contributes two shifted Dirichlet kernels.
void BlackmanHarris92TransMainLobe(int N, Array<float>& out) {
    const float coefficients[4] = {0.35875f, 0.48829f, 0.14128f, 0.01168f};
    const float increment = 0.09817477f / float(N);
    float x = -0.049087387f;
    for (int n = 0; n < N; ++n) {
        float value = 0.0f;
        for (int k = 0; k < 4; ++k) {
            const float shift = float(k) * 6.2831855f * 0.001953125f;
            value +=
                -0.5f * coefficients[k] *
                (WindowGenerator::Sinc(x - shift, 512) + WindowGenerator::Sinc(x + shift, 512));
        }
        out[n] = value;
        x += increment;
    }
    const float centre = out[N / 2];
    if (centre == 0.0f)
        return;
    for (int n = 0; n < N; ++n)
        out[n] /= centre;
}

bool IsKnownNormalization(int value) {
    return value >= EWindowNormalize::eNone && value <= EWindowNormalize::eMax;
}

} // namespace

WindowGenerator::WindowGenerator()
    : mOutput("Generated window function samples", this), mSize("Size", this) {}

WindowGenerator::WindowGenerator(const WindowGeneratorConfig& config) : WindowGenerator() {
    Configure(config);
}

WindowGenerator::~WindowGenerator() = default;

bool WindowGenerator::ConcreteConfigure(const ProcessingConfig& config) {
    const auto* concrete = dynamic_cast<const WindowGeneratorConfig*>(&config);
    if (concrete == nullptr) {
        AddConfigErrorMessage("Config should be a WindowGeneratorConfig");
        return false;
    }
    if (concrete->GetSize() < 0) {
        AddConfigErrorMessage("WindowGenerator: the window size must not be negative");
        return false;
    }
    mConfig = *concrete;
    mSize.DoControl(float(mConfig.GetSize()));
    if (mConfig.GetUseTable()) {
        mTable.Resize(mConfig.GetSize());
        mTable.SetSize(mConfig.GetSize());
        CreateTable(mTable, mConfig.GetType().GetValue(), mConfig.GetSize());
    }
    return true;
}

int WindowGenerator::RequestedSize() const {
    const float value = mSize.GetLastValue();
    if (!(value > 0.0f))
        return 0;
    if (value >= float(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return int(value);
}

bool WindowGenerator::Do() {
    Audio& out = mOutput.GetAudio();
    Do(out);
    mOutput.Produce();
    return true;
}

bool WindowGenerator::Do(Audio& out) {
    return Do(out.GetBuffer());
}

bool WindowGenerator::Do(Spectrum& out) {
    return Do(out.GetMagBuffer());
}

bool WindowGenerator::Do(Array<float>& out) {
    // Every check comes before the first write, so a refused call leaves out as it was.
    DSP_CHECK(IsKnownNormalization(mConfig.GetNormalize().GetValue()),
              "Unexpected normalization type");
    const int n = RequestedSize();
    const int length = out.Size();
    if (mConfig.GetUseTable()) {
        CreateWindowFromTable(out);
    } else {
        DSP_CHECK(n <= length, "WindowGenerator::Do:output array does not have a valid size");
        CreateTable(out, mConfig.GetType().GetValue(), n);
    }
    for (int i = n; i < length; ++i)
        out[i] = 0.0f;
    NormalizeWindow(out);
    if (mConfig.GetInvert())
        InvertWindow(out, out);
    return true;
}

void WindowGenerator::CreateTable(Array<float>& out, int type, int n) {
    if (n <= 0)
        return;
    DSP_CHECK(n <= out.Size(),
              "WindowGenerator::CreateTable:output array does not have a valid size");
    switch (type) {
    case EWindowType::eBlackmanHarris92:
        BlackmanHarris92(n, out);
        break;
    case EWindowType::eHamming:
        Hamming(n, out);
        break;
    case EWindowType::eTriangular:
        Triangular(n, out);
        break;
    case EWindowType::eBlackmanHarris92TransMainLobe:
        BlackmanHarris92TransMainLobe(n, out);
        break;
    default:
        break;
    }
}

void WindowGenerator::CreateWindowFromTable(Array<float>& out) const {
    const int n = RequestedSize();
    DSP_CHECK(n <= out.Size(),
              "WindowGenerator::CreateWindowFromTable:output array does not have a valid size");
    if (mTable.Size() == 0) {
        for (int i = 0; i < n; ++i)
            out[i] = 0.0f;
        return;
    }
    // 16.16 fixed-point ratio of table length to output length: nearest lower entry, no
    // interpolation. The position is kept in 64 bits so that tables longer than 65535 samples
    // do not wrap; below that length this equals a 32-bit position.
    double ratio = double(mConfig.GetSize()) * 65536.0 / double(mSize.GetLastValue());
    if (!(ratio >= 0.0))
        ratio = 0.0;
    if (ratio > 4294967295.0)
        ratio = 4294967295.0;
    const std::uint64_t step = std::uint32_t(ratio);
    const std::uint64_t last = std::uint64_t(mTable.Size() - 1);
    std::uint64_t position = 0;
    for (int i = 0; i < n; ++i) {
        const std::uint64_t index = position >> 16;
        out[i] = mTable[int(index < last ? index : last)];
        position += step;
    }
}

void WindowGenerator::NormalizeWindow(Array<float>& w) const {
    const int type = mConfig.GetNormalize().GetValue();
    DSP_CHECK(IsKnownNormalization(type), "Unexpected normalization type");
    const int length = w.Size();
    double factor = 1.0;
    if (type == EWindowNormalize::eNone) {
        return;
    } else if (type == EWindowNormalize::eMax) {
        double largest = 0.0;
        for (int i = 0; i < length; ++i)
            largest = std::max(largest, double(w[i]));
        // An all-zero (or all-negative) window has no magnitude to normalize to; it is left
        // as it is rather than filled with infinities.
        if (largest == 0.0)
            return;
        factor = 1.0 / largest;
    } else {
        double sum = 0.0;
        for (int i = 0; i < length; ++i)
            sum += w[i];
        if (sum == 0.0)
            return;
        factor = (type == EWindowNormalize::eAnalysis ? 1.0 : double(length)) / (0.5 * sum);
    }
    for (int i = 0; i < length; ++i)
        w[i] = float(w[i] * factor);
}

void WindowGenerator::InvertWindow(const Array<float>& in, Array<float>& out) {
    const int length = in.Size();
    if (&in != &out && out.Size() != length) {
        out.Resize(length);
        out.SetSize(length);
    }
    if (length == 0)
        return;
    const int half = length / 2;
    // The centre first: in place, the loop below only reads entries it has not yet written.
    if (length % 2 == 1 && in[half] != 0.0f)
        out[half] = 1.0f / in[half];
    for (int i = 0; i < half; ++i) {
        if (in[i] != 0.0f) {
            const float inverse = 1.0f / in[i];
            out[i] = inverse;
            out[length - 1 - i] = inverse;
        }
    }
    out[length - 1] = 0.0f;
}

float WindowGenerator::Sinc(float x, int n) {
    const int h = n / 2;
    const float denominator = DSP_sin(x * 0.5f);
    if (denominator == 0.0f)
        return 2.0f * float(h);
    return DSP_sin(float(h) * x) / denominator;
}

} // namespace DSP
