// The short-time path against a bare loop over the same hops, and what one engine costs.
//
// BM_ReferenceHop is the least any short-time processor of this shape can do per channel and
// hop: copy the frame, window it, forward FFT, inverse FFT, overlap-add the central part; the
// same FFT classes as the engine. BM_AnalysisHop and BM_SynthesisHop are the engine's two
// composites; BM_EngineHop/<program> is one hop of 256 samples through the whole engine in
// stereo (two channel-hops), so compare it with twice the reference. BM_StereoInstanceMemory
// reports the heap an initialized stereo engine holds, in its "bytes" counter, and how much of
// it is resident ("resident", the growth of the process's resident set);
// BM_DelayInstanceResident/<channels> what a mono or stereo instance takes once the Delay has
// filled its lines; BM_EngineCreation times constructing and initializing a stereo engine (not
// its destruction).

#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Processing/Analysis/FFT_ooura.hpp"
#include "DSP/Processing/Analysis/SpectralAnalysis.hpp"
#include "DSP/Processing/Synthesis/IFFT_ooura.hpp"
#include "DSP/Processing/Synthesis/OverlapAdd.hpp"
#include "DSP/Processing/Synthesis/SpectralSynthesis.hpp"
#include "Quorvel/ProgramParameters/ProgramTable.hpp"
#include "Quorvel/QuorvelAudio.hpp"
#include "Quorvel/QuorvelDocument.hpp"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int kFrame = 1024;
constexpr int kHop = 256;
constexpr int kRate = 44100;

std::vector<float> signal(size_t frames) {
    std::vector<float> x(frames);
    for (size_t i = 0; i < frames; ++i)
        x[i] = float(0.3 * std::sin(0.05 * double(i)) + 0.1 * std::sin(0.71 * double(i)));
    return x;
}

DSP::Spectrum spectrum() {
    DSP::SpectrumConfig config;
    config.SetSize(kFrame / 2 + 1);
    return DSP::Spectrum(config);
}

void BM_ReferenceHop(benchmark::State& state) {
    GlobalProcessInfo::SetSampleRate(float(kRate));
    DSP::FFTConfig fftConfig;
    fftConfig.SetAudioSize(kFrame);
    DSP::FFT_ooura fft(fftConfig);
    DSP::IFFTConfig ifftConfig;
    ifftConfig.SetAudioSize(kFrame);
    DSP::IFFT_ooura ifft(ifftConfig);
    DSP::Spectrum bins = spectrum();
    DSP::Audio frame, resynthesised;
    frame.SetSize(kFrame);
    resynthesised.SetSize(kFrame);
    std::vector<float> window(kFrame), overlap(2 * kHop, 0.0f), out(kHop);
    for (int i = 0; i < kFrame; ++i)
        window[size_t(i)] = float(0.5 - 0.5 * std::cos(6.283185307179586 * i / kFrame));
    const std::vector<float> input = signal(1 << 16);
    size_t at = 0;
    for (auto _ : state) {
        float* f = frame.GetBuffer().GetPtr();
        for (int i = 0; i < kFrame; ++i)
            f[i] = input[(at + size_t(i)) & 0xFFFF] * window[size_t(i)];
        fft.Do(frame, bins);
        ifft.Do(bins, resynthesised);
        const float* r = resynthesised.GetBuffer().GetPtr();
        for (int i = 0; i < kHop; ++i) {
            out[size_t(i)] = overlap[size_t(kHop + i)] + r[kHop + i];
            overlap[size_t(kHop + i)] = r[2 * kHop + i];
        }
        benchmark::DoNotOptimize(out.data());
        at += kHop;
    }
}
BENCHMARK(BM_ReferenceHop);

// A started analysis as the engine configures it, a frame of test signal and its spectrum.
struct AnalysedFrame {
    AnalysedFrame() : bins(spectrum()) {
        GlobalProcessInfo::SetSampleRate(float(kRate));
        DSP::SpectralAnalysisConfig config;
        config.SetWindowSize(kFrame + 1);
        config.SetHopSize(kHop);
        analysis.Configure(config);
        analysis.Start();
        frame.SetSize(kFrame);
        const std::vector<float> input = signal(kFrame);
        std::copy(input.begin(), input.end(), frame.GetBuffer().GetPtr());
        analysis.Do(frame, bins);
    }
    DSP::SpectralAnalysis analysis;
    DSP::Audio frame;
    DSP::Spectrum bins;
};

void BM_AnalysisHop(benchmark::State& state) {
    AnalysedFrame a;
    DSP::SpectralAnalysis& analysis = a.analysis;
    DSP::Audio& frame = a.frame;
    DSP::Spectrum& bins = a.bins;
    for (auto _ : state) {
        analysis.Do(frame, bins);
        benchmark::DoNotOptimize(bins.GetMagBuffer().GetPtr());
    }
}
BENCHMARK(BM_AnalysisHop);

void BM_SynthesisHop(benchmark::State& state) {
    AnalysedFrame a;
    DSP::SpectralSynthesisConfig config;
    config.SetAnalWindowSize(kFrame + 1);
    config.SetHopSize(kHop);
    DSP::SpectralSynthesis synthesis(config);
    synthesis.Start();
    DSP::OverlapAddConfig overlapConfig;
    overlapConfig.SetHopSize(kHop);
    DSP::OverlapAdd overlapAdd(overlapConfig);
    DSP::Audio block, hop;
    block.SetSize(2 * kHop);
    hop.SetSize(kHop);
    for (auto _ : state) {
        synthesis.Do(a.bins, block);
        overlapAdd.Do(block, hop);
        benchmark::DoNotOptimize(hop.GetBuffer().GetPtr());
    }
}
BENCHMARK(BM_SynthesisHop);

struct Engine {
    explicit Engine(unsigned int channels = 2) : engine(&document) {
        engine.setMaxBufferSize(kHop);
        engine.setChannelConfiguration(channels, channels);
        engine.setSamplingRate(kRate);
        engine.Initialize();
    }
    ~Engine() { document.removeInterface(&engine); }
    QuorvelDocument document;
    QuorvelAudio engine;
};

void BM_EngineHop(benchmark::State& state) {
    Engine e;
    e.document.activateProgram(unsigned(state.range(0)));
    e.document.updateParameter(ParameterIndex::Fire, orvane::AnyValue(true), nullptr);
    std::vector<float> left = signal(kHop), right = signal(kHop), outLeft(kHop), outRight(kHop);
    float* in[2] = {left.data(), right.data()};
    float* out[2] = {outLeft.data(), outRight.data()};
    for (auto _ : state) {
        e.engine.Process(in, out, kHop);
        benchmark::DoNotOptimize(outLeft.data());
    }
    state.SetLabel(ProgramTable::program(unsigned(state.range(0))).name);
    // Seconds of stereo audio per second of one core.
    state.counters["x_realtime"] =
        benchmark::Counter(double(kHop) / kRate, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_EngineHop)->DenseRange(0, int(ProgramTable::kShortTimeProgramCount) - 1);

// The heap in use, blocks served by mmap included.
size_t heapBytes() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// The process's resident set in bytes.
double residentBytes() {
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE));
}

void BM_StereoInstanceMemory(benchmark::State& state) {
    double bytes = 0.0, resident = 0.0;
    for (auto _ : state) {
        const size_t before = heapBytes();
        const double residentBefore = residentBytes();
        auto engine = std::make_unique<Engine>();
        bytes = double(heapBytes() - before);
        resident = residentBytes() - residentBefore;
        benchmark::DoNotOptimize(engine.get());
    }
    state.counters["bytes"] = bytes;
    state.counters["resident"] = resident;
}
BENCHMARK(BM_StereoInstanceMemory)->Iterations(1);

// What an instance of 1 or 2 channels really takes while the Delay runs: the growth of the
// resident set over a full turn of its delay lines at the longest delays (12 s of audio). The
// heap reserved is the same for either, but a channel that is not processed never touches its
// lines.
void BM_DelayInstanceResident(benchmark::State& state) {
    const auto channels = unsigned(state.range(0));
    // Large blocks always come from the system and go back to it when freed, so that what an
    // earlier run left resident cannot stand in for this run's growth.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    malloc_trim(0);
    double resident = 0.0;
    for (auto _ : state) {
        const double before = residentBytes();
        Engine e(channels);
        const ProgramDescription& delay = ProgramTable::program(0);
        e.document.activateProgram(delay.presetNumber);
        for (const ProgramParameterDescription& p : delay)
            if (std::strstr(p.parameter.name, "Delay"))
                e.document.updateParameter(p.parameter.index,
                                           orvane::AnyValue(p.parameter.maxValue), nullptr);
        std::vector<float> left = signal(kHop), right = signal(kHop), outLeft(kHop), outRight(kHop);
        float* in[2] = {left.data(), right.data()};
        float* out[2] = {outLeft.data(), outRight.data()};
        for (int hop = 0; hop < 12 * kRate / kHop; ++hop)
            e.engine.Process(in, out, kHop);
        resident = residentBytes() - before;
    }
    state.counters["resident"] = resident;
}
BENCHMARK(BM_DelayInstanceResident)->Arg(1)->Arg(2)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_EngineCreation(benchmark::State& state) {
    for (auto _ : state) {
        auto engine = std::make_unique<Engine>();
        benchmark::DoNotOptimize(engine.get());
        state.PauseTiming();
        engine.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_EngineCreation)->Unit(benchmark::kMillisecond);

} // namespace
