#pragma once
// `quorvel analyze`: what the harmonic analysis hears in a file, hop by hop.

#include "hosts/cli/Args.hpp"
#include "hosts/cli/AudioFile.hpp"

#include <cstdint>
#include <cstdio>
#include <vector>

namespace quorvel::cli {

// One analysis hop.
struct AnalysisRow {
    double timeSeconds; // where the analysed window is centred in the input
    double f0Hz;        // 0 when the frame is unvoiced
    double error;       // the fundamental's error; 0 when unvoiced
    int peaks;          // spectral peaks found
    int harmonics;      // harmonics tracked (0 when unvoiced)
};

// Runs the engine's harmonic analysis over the first channel of `input`; one row per hop whose
// window centre lies within the input. `progress` (may be null) receives the samples done.
std::vector<AnalysisRow> analyzeAudio(const AudioData& input,
                                      void (*progress)(void*, int64_t) = nullptr,
                                      void* context = nullptr);

void analyzeFile(const AnalyzeOptions& options, std::FILE* out);

} // namespace quorvel::cli
