#pragma once

// Synthetic harmonic frames for the harmonic effect tests: n harmonics of f0 in dB with track
// ids, a fundamental of one candidate and a 513-bin linear residual, at 44.1 kHz, hop 256.

#include "DSP/Data/Frame.hpp"
#include "DSP/Data/GlobalProcessInfo.hpp"

#include <gtest/gtest.h>

#include <cmath>

inline constexpr int kResidualBins = 513;

inline void UseEngineRate() {
    GlobalProcessInfo::SetSampleRate(44100.f);
    GlobalProcessInfo::SetFrameSize(256.f);
}

inline DSP::Frame HarmonicFrame(float f0Hz, int nPeaks = 12, float error = 0.1f) {
    DSP::Frame frame;
    DSP::SpectralPeakArray& peaks = frame.GetSpectralPeakArray();
    peaks.SetScale(DSP::EScale(DSP::EScale::eLog));
    peaks.SetnPeaks(nPeaks);
    const float binHz = 44100.f / 1024.f;
    for (int i = 0; i < nPeaks; ++i) {
        peaks.SetFreq(i, f0Hz * static_cast<float>(i + 1));
        peaks.SetMag(i, -20.f - 3.f * static_cast<float>(i));
        peaks.SetPhase(i, 0.1f * static_cast<float>(i));
        peaks.SetBinPos(i, peaks.GetFreq(i) / binHz);
    }
    peaks.ResetIndices();
    if (f0Hz > 0.f)
        frame.GetFundamental().AddElem(f0Hz, error);
    for (DSP::Spectrum* spectrum : {&frame.GetResidualSpec(), &frame.GetSpectrum()}) {
        spectrum->SetSize(kResidualBins);
        for (int k = 0; k < kResidualBins; ++k) {
            spectrum->GetMagBuffer()[k] = 0.01f + 0.001f * static_cast<float>(k % 7);
            spectrum->GetPhaseBuffer()[k] = 0.5f - 0.002f * static_cast<float>(k);
        }
    }
    return frame;
}

inline void ExpectSameArray(const DSP::Array<float>& a, const DSP::Array<float>& b) {
    ASSERT_EQ(a.Size(), b.Size());
    for (int i = 0; i < a.Size(); ++i)
        EXPECT_EQ(a[i], b[i]) << "at " << i;
}

// Peaks, fundamental and residual of a equal those of b.
inline void ExpectSameHarmonicParts(const DSP::Frame& a, const DSP::Frame& b) {
    const DSP::SpectralPeakArray& pa = a.GetSpectralPeakArray();
    const DSP::SpectralPeakArray& pb = b.GetSpectralPeakArray();
    const DSP::Array<float>* pairs[][2] = {
        {&pa.GetFreqBuffer(), &pb.GetFreqBuffer()},
        {&pa.GetMagBuffer(), &pb.GetMagBuffer()},
        {&pa.GetPhaseBuffer(), &pb.GetPhaseBuffer()},
        {&a.GetFundamental().GetCandidatesFreq(), &b.GetFundamental().GetCandidatesFreq()},
        {&a.GetFundamental().GetCandidatesErr(), &b.GetFundamental().GetCandidatesErr()},
        {&a.GetResidualSpec().GetMagBuffer(), &b.GetResidualSpec().GetMagBuffer()},
        {&a.GetResidualSpec().GetPhaseBuffer(), &b.GetResidualSpec().GetPhaseBuffer()}};
    for (const auto& pair : pairs)
        ExpectSameArray(*pair[0], *pair[1]);
}

// Every value an effect writes into the frame is finite.
inline void ExpectFiniteOutput(const DSP::Frame& frame) {
    const DSP::SpectralPeakArray& peaks = frame.GetSpectralPeakArray();
    for (const DSP::Array<float>* values :
         {&peaks.GetFreqBuffer(), &peaks.GetMagBuffer(), &peaks.GetPhaseBuffer(),
          &frame.GetFundamental().GetCandidatesFreq(), &frame.GetResidualSpec().GetMagBuffer(),
          &frame.GetResidualSpec().GetPhaseBuffer()})
        for (int i = 0; i < values->Size(); ++i)
            ASSERT_TRUE(std::isfinite((*values)[i]));
    const auto& sines = frame.GetSinusoidalSpec().GetComplexArray();
    for (int k = 0; k < sines.Size(); ++k)
        ASSERT_TRUE(std::isfinite(sines[k].Real()) && std::isfinite(sines[k].Imag()));
}
