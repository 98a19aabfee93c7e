#include "DSP/Processing/Synthesis/SynthSineSpectrum.hpp"

#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Misc/FastMath.hpp"
#include "DSP/Processing/Analysis/EWindowType.hpp"
#include "DSP/Processing/Analysis/WindowGenerator.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace DSP {

namespace {

using MainLobeTable = std::array<double, SynthSineSpectrum::kMainLobeSize>;

// The value as it reads when written with seven significant digits.
double RoundToSevenDigits(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6e", double(value));
    return std::strtod(text, nullptr);
}

// The window generator's main lobe at 4096 points, stored to seven significant digits. Entry
// 0 lies exactly 4 bins from the centre, on a zero of the transform; the generator's
// single-precision sum leaves a residue there, which is cleared. The centre is 1.0 by the
// generator's own normalisation.
MainLobeTable BuildMainLobeTable() {
    const int n = SynthSineSpectrum::kMainLobeSize;
    Array<float> lobe(n);
    WindowGenerator::CreateTable(lobe, EWindowType::eBlackmanHarris92TransMainLobe, n);
    MainLobeTable table{};
    for (int i = 0; i < n; ++i)
        table[std::size_t(i)] = RoundToSevenDigits(lobe[i]);
    table[0] = 0.0;
    return table;
}

const MainLobeTable& GetMainLobeTable() {
    static const MainLobeTable table = BuildMainLobeTable();
    return table;
}

// Bins 0 and N - 1 are real in the spectrum of a real signal: a contribution there adds its
// real part twice (itself and its mirror image). Below 0 and above N - 1 a contribution
// lands on the mirrored bin as its complex conjugate; beyond the mirror of bin 0 (and below
// the mirror of bin N - 1) there is no bin left and it is dropped.
void AddFolded(ComplexTmpl<float>* sum, int bins, int b, ComplexTmpl<float> value) {
    const int last = bins - 1;
    const ComplexTmpl<float> conjugate(value.Real(), -value.Imag());
    if (b > 0 && b < last)
        sum[b] += value;
    else if (b == 0 || b == last)
        sum[b].SetReal(sum[b].Real() + 2.f * value.Real());
    else if (b < 0 && -b <= last)
        sum[-b] += conjugate;
    else if (b > last && b < 2 * last + 1)
        sum[2 * last - b] += conjugate;
}

} // namespace

SynthSineSpectrum::SynthSineSpectrum() = default;

SynthSineSpectrum::SynthSineSpectrum(const SynthSineSpectrumConfig& config) : SynthSineSpectrum() {
    Configure(config);
}

SynthSineSpectrum::~SynthSineSpectrum() = default;

double SynthSineSpectrum::MainLobe(int i) {
    if (i < 0 || i >= kMainLobeSize)
        return 0.0;
    return GetMainLobeTable()[std::size_t(i)];
}

bool SynthSineSpectrum::ConcreteConfigure(const ProcessingConfig& config) {
    const auto* concrete = dynamic_cast<const SynthSineSpectrumConfig*>(&config);
    if (!concrete) {
        AddConfigErrorMessage("Config should be a SynthSineSpectrumConfig");
        return false;
    }
    mConfig = *concrete;
    mBins = std::max(mConfig.GetSpectrumSize(), 0);
    // The table is built here, on the configuring thread, never in a Do.
    GetMainLobeTable();
    return true;
}

void SynthSineSpectrum::WriteSilence(Spectrum& out) const {
    SpectrumConfig config;
    config.SetScale(EScale(EScale::eLinear));
    config.SetSpectralRange(out.GetSpectralRange());
    config.SetSize(mBins);
    config.SetType(SpecTypeFlags({SpecTypeFlags::eComplex}));
    out.Configure(config);
    ComplexTmpl<float>* bins = out.GetComplexArray().GetPtr();
    std::fill(bins, bins + mBins, ComplexTmpl<float>(0.f, 0.f));
}

bool SynthSineSpectrum::Do(const SpectralPeakArray& peaks, Spectrum& out, double) {
    // The lobes are summed in out itself.
    const int bins = mBins;
    WriteSilence(out);
    ComplexTmpl<float>* sum = out.GetComplexArray().GetPtr();

    // Lobe width in bins, table entries per bin and the bins left of a lobe's centre bin.
    const float z = mConfig.GetZeroPadding();
    const int lobeBins = int(std::clamp(double(8.f * DSP_pow(2.f, z)), 0.0, double(kMainLobeSize)));
    const int step = int(std::min(double(DSP_pow(2.f, 9.f - z)), double(kMainLobeSize)));
    const int half = int(3.f * DSP_pow(2.f, std::floor(z)));
    const double binsPerHz = double(2 * bins - 2) / double(GlobalProcessInfo::GetSampleRate());
    // Beyond this distance from bin 0 every contribution of a lobe is dropped; it also keeps
    // the bin arithmetic within int.
    const double reachBins = 4.0 * bins + lobeBins + half;
    const bool inDb = peaks.GetScale().GetValue() == EScale::eLog;
    const MainLobeTable& table = GetMainLobeTable();

    for (int p = 0; p < peaks.GetnPeaks() && bins > 0 && lobeBins > 0; ++p) {
        const float mag = peaks.GetMag(p);
        const float amplitude = inDb ? DSP_pow(10.f, mag / 20.f) : mag;
        const float phase = peaks.GetPhase(p);
        const double x = double(peaks.GetFreq(p)) * binsPerHz;
        if (!std::isfinite(amplitude) || !std::isfinite(phase) || !(std::fabs(x) < reachBins))
            continue;
        const float c = DSP_cos(phase);
        const float d = DSP_sin(phase);
        const int b0 = int(std::trunc(x)) - half;
        const double r = x - std::floor(x);
        const int i0 = int((1.0 - r) * kMainLobeSize / lobeBins + 0.5);
        for (int j = 0; j < lobeBins; ++j) {
            const int i = i0 + j * step;
            if (i >= kMainLobeSize)
                break; // the table counts as 0 from here on
            const double v = amplitude * table[std::size_t(i)];
            AddFolded(sum, bins, b0 + j, ComplexTmpl<float>(float(c * v), float(d * v)));
        }
    }
    return true;
}

bool SynthSineSpectrum::Do() {
    const bool result = Do(mInput.GetData(), mOutput.GetData(), 1.0);
    mInput.Consume();
    mOutput.Produce();
    return result;
}

} // namespace DSP
