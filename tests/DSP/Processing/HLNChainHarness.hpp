#pragma once

// The harmonic analysis and synthesis run hop by hop as the engine runs them, without an
// effect between them, on a whole signal at once.

#include "DSP/Data/Frame.hpp"
#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Processing/Analysis/HLNAnalysis.hpp"
#include "DSP/Processing/Synthesis/HLNSynthesis.hpp"
#include "support/SignalMeasures.hpp"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

constexpr int kHLNHop = 256;
constexpr float kHLNRate = 44100.f;

struct HLNChain {
    HLNChain() {
        GlobalProcessInfo::SetSampleRate(kHLNRate);
        GlobalProcessInfo::SetFrameSize(float(kHLNHop));
        analysis.Configure(DSP::HLNAnalysisConfig::EngineDefaults());
        synthesis.Configure(DSP::HLNSynthesisConfig::EngineDefaults());
        analysis.Start();
        synthesis.Start();
        analysis.PrepareFrame(frame);
        synthesis.PrepareFrame(frame);
    }

    // One hop of x starting at x[start] (zeros past its end); the hop's synthesized samples
    // are appended to out. onFrame sees each analysed frame before it is synthesized.
    bool Hop(const std::vector<float>& x, std::size_t start, std::vector<float>& out,
             const std::function<void(const DSP::Frame&)>& onFrame = nullptr) {
        frame.SetCenterTime(float(double(hops + 1) * kHLNHop - 512.0) / kHLNRate);
        float* in = frame.GetAudioFrame().GetBuffer().GetPtr();
        for (int i = 0; i < kHLNHop; ++i)
            in[i] = start + std::size_t(i) < x.size() ? x[start + std::size_t(i)] : 0.f;
        ++hops;
        const bool analysed = analysis.Do(frame);
        if (analysed) {
            if (onFrame)
                onFrame(frame);
            synthesis.Do(frame);
        }
        const float* y = frame.GetSynthAudioFrame().GetBuffer().GetPtr();
        out.insert(out.end(), y, y + kHLNHop);
        return analysed;
    }

    // The whole of x through the chain: as many output samples as x has, plus tail.
    std::vector<float> Run(const std::vector<float>& x, std::size_t tail = 0,
                           const std::function<void(const DSP::Frame&)>& onFrame = nullptr) {
        std::vector<float> out;
        for (std::size_t start = 0; start < x.size() + tail; start += kHLNHop)
            Hop(x, start, out, onFrame);
        out.resize(x.size() + tail);
        return out;
    }

    DSP::HLNAnalysis analysis;
    DSP::HLNSynthesis synthesis;
    DSP::Frame frame;
    unsigned long hops = 0;
};

using SignalMeasures::GaussianNoise;

// A 220 Hz voice-like tone: harmonics 1 to 4 at falling levels.
inline std::vector<float> HarmonicTone(std::size_t n, float f0Hz = 220.f) {
    const float amplitudes[] = {0.3f, 0.15f, 0.08f, 0.04f};
    std::vector<float> x(n, 0.f);
    for (std::size_t i = 0; i < n; ++i)
        for (int h = 0; h < 4; ++h)
            x[i] +=
                amplitudes[h] * float(std::sin(2.0 * M_PI * f0Hz * (h + 1) * double(i) / kHLNRate));
    return x;
}
