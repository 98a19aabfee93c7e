#include "DSP/Processing/Analysis/SpectralPeakDetect.hpp"

#include "DSP/Data/Decibels.hpp"
#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Misc/FiniteOrZero.hpp"
#include "DSP/Misc/PhaseWrap.hpp"

#include <algorithm>
#include <cmath>

namespace DSP {

namespace {

// A width of 0 marks a peak whose extent the scan has not closed yet.
constexpr int kWidthUnset = 0;
constexpr int kNoTrack = -1;
constexpr float kHalfTurn = 0.5f * kTwoPi;

bool LastWidthUnset(const SpectralPeakArray& out) {
    const int n = out.GetnPeaks();
    return n > 0 && out.GetBinWidth(n - 1) == kWidthUnset;
}

} // namespace

struct SpectralPeakDetect::Scan {
    const Spectrum& in;
    const float* mag;
    const float* phase;
    int nBins;
    float sampleRateHz;
    int runCount;

    float FreqOfBinPos(float binPos) const {
        return sampleRateHz * binPos * 0.5f / static_cast<float>(nBins - 1);
    }
    // The bin position of a frequency, truncated toward zero and kept within the spectrum (a
    // sample rate of 0 or NaN would otherwise make the conversion undefined).
    int TruncatedBinOfFreq(float freqHz) const {
        const float binPos = 2.f * freqHz * static_cast<float>(nBins - 1) / sampleRateHz;
        if (!(binPos >= 0.f))
            return 0;
        return static_cast<int>(std::min(binPos, static_cast<float>(nBins)));
    }
    // What the spectrum reports at a frequency; a frequency outside the spectrum (which only a
    // spectral range that disagrees with the sample rate produces) reads the nearest end bin.
    float MagAt(float freqHz) const {
        const int bin = in.IndexFromFreq(freqHz);
        return bin >= 0 && bin < nBins ? in.GetMag(freqHz) : mag[bin < 0 ? 0 : nBins - 1];
    }
    float PhaseAt(float freqHz) const {
        const int bin = in.IndexFromFreq(freqHz);
        return bin >= 0 && bin < nBins ? in.GetPhase(freqHz) : phase[bin < 0 ? 0 : nBins - 1];
    }
};

SpectralPeakDetect::SpectralPeakDetect() {
    Configure(SpectralPeakDetectConfig());
}

SpectralPeakDetect::SpectralPeakDetect(const SpectralPeakDetectConfig& config) {
    Configure(config);
}

SpectralPeakDetect::~SpectralPeakDetect() = default;

bool SpectralPeakDetect::ConcreteConfigure(const ProcessingConfig& config) {
    const auto* concrete = dynamic_cast<const SpectralPeakDetectConfig*>(&config);
    if (!concrete) {
        AddConfigErrorMessage("Config should be a SpectralPeakDetectConfig");
        return false;
    }
    mConfig = *concrete;
    return true;
}

bool SpectralPeakDetect::Do(const Spectrum& in, SpectralPeakArray& out) {
    const int maxPeaks = std::max(mConfig.GetMaxPeaks(), 0);
    if (out.GetnMaxPeaks() != maxPeaks)
        out.SetnMaxPeaks(maxPeaks);
    out.SetnPeaks(0);

    // Buffers shorter than the spectrum's size are never read past.
    const int nBins =
        std::min({in.GetSize(), in.GetMagBuffer().Size(), in.GetPhaseBuffer().Size()});
    Scan scan{in,    in.GetMagBuffer().GetPtr(),         in.GetPhaseBuffer().GetPtr(),
              nBins, GlobalProcessInfo::GetSampleRate(), 0};
    const float threshold = mConfig.GetMagThreshold();
    const float* mag = scan.mag;

    int k = 0;
    for (; k < nBins - 2 && out.GetnPeaks() < maxPeaks; ++k) {
        const float left = mag[k];
        const float centre = mag[k + 1];
        const float right = mag[k + 2];
        if (left == centre && left == right) {
            // Inside a flat run: the run closes the previous peak's extent.
            if (LastWidthUnset(out))
                out.SetBinWidth(out.GetnPeaks() - 1, scan.runCount);
            scan.runCount = 1;
            continue;
        }
        if (centre <= left && centre <= right) {
            if (LastWidthUnset(out))
                out.SetBinWidth(out.GetnPeaks() - 1, scan.runCount);
            scan.runCount = 0;
        }
        const bool finite = std::isfinite(left) && std::isfinite(centre) && std::isfinite(right);
        if (finite && centre >= left && centre >= right && centre > threshold) {
            if (LastWidthUnset(out))
                CloseWidthAtHalfDistance(scan, out, k + 1);
            if (left == centre && centre > right && out.GetnPeaks() > 0)
                MoveToFlatTopMiddle(scan, out, k);
            else if (!AppendInterpolatedPeak(scan, out, k))
                break;
        }
        ++scan.runCount;
    }

    // The last peak's extent reaches half-way to where the scan stopped.
    if (LastWidthUnset(out)) {
        const int last = out.GetnPeaks() - 1;
        const int b = scan.TruncatedBinOfFreq(out.GetFreq(last));
        const int half = static_cast<int>((k - b) * 0.5f);
        out.SetBinWidth(last, scan.runCount - half);
    }
    return true;
}

// Two peaks without a valley between them share the bins up to half-way from the previous
// peak to the bin at `bin`; the counter restarts with the new peak's half.
void SpectralPeakDetect::CloseWidthAtHalfDistance(Scan& scan, SpectralPeakArray& out,
                                                  int bin) const {
    const int last = out.GetnPeaks() - 1;
    const int b = scan.TruncatedBinOfFreq(out.GetFreq(last));
    const int half = static_cast<int>((bin - b) * 0.5f);
    out.SetBinWidth(last, scan.runCount - half);
    scan.runCount = half;
}

// The falling edge of a flat top: its peak, appended at the rising edge, moves half-way to
// the top's last bin, and takes what the spectrum holds there.
void SpectralPeakDetect::MoveToFlatTopMiddle(const Scan& scan, SpectralPeakArray& out,
                                             int k) const {
    const int last = out.GetnPeaks() - 1;
    const float lastBin = static_cast<float>(k + 1);
    const float oldPos = out.GetBinPos(last);
    const float newPos = oldPos + (lastBin - oldPos) * 0.5f;
    const float freqHz = scan.FreqOfBinPos(newPos);
    out.SetFreq(last, freqHz);
    out.SetMag(last, scan.MagAt(freqHz));
    out.SetPhase(last, FiniteOrZero(scan.PhaseAt(freqHz)));
    out.SetBinWidth(last, static_cast<int>(lastBin - oldPos));
    out.SetBinPos(last, newPos);
}

bool SpectralPeakDetect::AppendInterpolatedPeak(const Scan& scan, SpectralPeakArray& out,
                                                int k) const {
    const float left = scan.mag[k];
    const float centre = scan.mag[k + 1];
    const float right = scan.mag[k + 2];
    // Vertex of the parabola through the three dB values, as an offset from the middle bin.
    const float offset = 0.5f * (left - right) / (left - 2.f * centre + right);
    const float binPos = static_cast<float>(k + 1) + offset;
    const float magDb = centre - 0.25f * (left - right) * offset;
    const float freqHz = scan.FreqOfBinPos(binPos);

    // Linear interpolation between the two bins that enclose the vertex, taking the shorter
    // way round when their phases straddle the +-pi wrap. The result is left unwrapped.
    float phaseA = offset >= 0.f ? scan.phase[k + 1] : scan.phase[k];
    const float phaseB = offset >= 0.f ? scan.phase[k + 2] : scan.phase[k + 1];
    float delta = phaseB - phaseA;
    if (std::fabs(delta) > kHalfTurn) {
        if (phaseB > 0.f) {
            phaseA += kTwoPi;
            delta = phaseB - phaseA;
        } else {
            delta = (phaseB + kTwoPi) - phaseA;
        }
    }
    const float fraction = offset >= 0.f ? offset : offset + 1.f;
    const float phase = phaseA + fraction * delta;

    if (freqHz > mConfig.GetMaxFreq())
        return false;
    const int n = out.GetnPeaks();
    out.SetnPeaks(n + 1);
    out.SetFreq(n, freqHz);
    out.SetMag(n, magDb);
    out.SetPhase(n, FiniteOrZero(phase));
    out.SetBinPos(n, binPos);
    out.SetBinWidth(n, kWidthUnset);
    out.SetIndex(n, kNoTrack);
    return true;
}

// The scan reads the magnitude and phase buffers, the size and the spectral range, and looks
// bins up through GetMag and GetPhase, which prefer those buffers to every representation but
// the break-point functions. So where the input has no break-point functions and buffers of its
// size, only they are converted; anything else is copied and converted whole.
void SpectralPeakDetect::CopyInDb(const Spectrum& input) {
    const SpecTypeFlags& type = input.GetType();
    const int n = input.GetSize();
    if (!type.IsSetFlag(SpecTypeFlags::eMagPhase) || type.IsSetFlag(SpecTypeFlags::eMagPhaseBPF) ||
        input.GetMagBuffer().Size() != n || input.GetPhaseBuffer().Size() != n) {
        mWorkSpectrum = input;
        mWorkSpectrum.ToDB();
        return;
    }
    mWorkSpectrum.SetType(SpecTypeFlags({SpecTypeFlags::eMagPhase}));
    mWorkSpectrum.SetSize(n);
    mWorkSpectrum.SetSpectralRange(input.GetSpectralRange());
    mWorkSpectrum.SetScale(EScale(EScale::eLog));
    LinearBlockToDbWithSilence(input.GetMagBuffer().GetPtr(), n,
                               mWorkSpectrum.GetMagBuffer().GetPtr());
    std::copy_n(input.GetPhaseBuffer().GetPtr(), n, mWorkSpectrum.GetPhaseBuffer().GetPtr());
}

bool SpectralPeakDetect::Do() {
    const Spectrum& input = mInput.GetData();
    const Spectrum* in = &input;
    if (input.GetScale().GetValue() != EScale::eLog) {
        CopyInDb(input);
        in = &mWorkSpectrum;
    }
    SpectralPeakArray& out = mOutput.GetData();
    out.SetScale(EScale(EScale::eLog));
    const bool result = Do(*in, out);
    mInput.Consume();
    mOutput.Produce();
    return result;
}

} // namespace DSP
