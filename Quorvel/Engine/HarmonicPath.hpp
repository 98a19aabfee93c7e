#pragma once

#include "DSP/Data/Frame.hpp"
#include "DSP/Processing/Analysis/HLNAnalysis.hpp"
#include "DSP/Processing/Synthesis/HLNSynthesis.hpp"

#include <array>
#include <cstdint>

namespace Quorvel {

// The harmonic path of the engine, one hop at a time, on one channel: harmonic analysis of the
// hop's 256 input samples into a frame (sinusoidal peaks, fundamental, residual), the current
// harmonic effect on a copy of it, harmonic synthesis, and the mix with the dry signal.
//
// Timing. The synthesized audio of a hop carries the input of kChainDelaySamples before it;
// the dry samples are delayed by the same amount, so a Dry/Wet between 0 and 1 blends two
// aligned signals. Written into the engine's output rings, which start kRingDelaySamples ahead
// of their read position, the output is the input delayed by kLatencySamples.
//
// The analysis needs several hops of input before it reports a frame; until then the
// synthesized audio is silence. The command line and the benchmarks drive the same path
// through `Analyse` and `ProcessHop`, so what they measure is what the engine runs.
//
// Threads: `Configure` on the host's thread (it allocates); `Reset`, `Analyse` and
// `ProcessHop` on the render thread, which then never allocates, frees or locks.
class HarmonicPath {
public:
    static constexpr int kHopSamples = 256;
    // The engine's output rings start this far ahead of their read position.
    static constexpr int kRingDelaySamples = 1024;
    // From a sample entering `ProcessHop` to the same sample in the synthesized audio.
    static constexpr int kChainDelaySamples = DSP::kHLNChainLatencySamples;
    static constexpr int kLatencySamples = kRingDelaySamples + kChainDelaySamples;
    // Where the sinusoidal analysis window of hop n is centred, in input samples:
    // kHopSamples * n + kAnalysisCentreOffsetSamples (negative while the analysis fills).
    static constexpr int kAnalysisCentreOffsetSamples = DSP::kHLNAnalysisCentreOffsetSamples;

    // Sizes, configures and starts the analysis, the synthesis and the frames for the sample
    // rate in GlobalProcessInfo; clears the dry delay.
    void Configure();
    // Restarts the hop count (a program change); the analysis keeps what it has heard.
    void Reset() { mHopCounter = 0; }

    // Analyses one hop of kHopSamples input samples into the input frame; true when the
    // analysis reported a frame. Advances the hop count and the dry delay.
    bool Analyse(const float* hop);
    const DSP::Frame& InputFrame() const { return mInput; }
    // The number of spectral peaks the analysis found in the last frame (before tracking).
    int LastPeakCount();

    // One whole hop: `Analyse`, then, when a frame was reported, the input frame copied into
    // the output frame, `transform(input, output)` and the synthesis; then the mix into
    // `out` (kHopSamples samples) with the dry signal delayed to line up (see MixHop).
    template <class Transform>
    void ProcessHop(const float* hop, float gain, float dryWet, float* out, Transform&& transform) {
        if (Analyse(hop)) {
            mOutput = mInput;
            transform(static_cast<const DSP::Frame&>(mInput), mOutput);
            mSynthesis.Do(mOutput);
        }
        Mix(gain, dryWet, out);
    }

private:
    static constexpr int kDryRingSamples = 2048; // a power of two above the chain delay
    static_assert(kDryRingSamples >= kChainDelaySamples + kHopSamples, "dry ring too short");

    void Mix(float gain, float dryWet, float* out);

    DSP::HLNAnalysisConfig mAnalysisConfig;
    DSP::HLNSynthesisConfig mSynthesisConfig;
    DSP::HLNAnalysis mAnalysis;
    DSP::HLNSynthesis mSynthesis;
    DSP::Frame mInput;
    DSP::Frame mOutput;
    std::uint64_t mHopCounter = 0;
    std::array<float, kDryRingSamples> mDryRing{};
    int mDryWrite = 0;                        // where the next hop's input goes
    std::array<float, kHopSamples> mDryHop{}; // the dry samples of the hop being mixed
};

} // namespace Quorvel
