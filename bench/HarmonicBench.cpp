// Per-hop cost of every stage of the harmonic chain on a voice-like signal, and of the eight
// harmonic effects on analysed frames.
//
// The signal: 44.1 kHz, harmonics of a fundamental that falls from 300 to 150 Hz over six
// seconds with a 5.5 Hz vibrato of +-40 cents, amplitudes 1/h, plus faint noise. A recording
// pass drives one copy of every child of the analysis the way the analysis composite does
// (same configurations, same order, the fundamental linked to the tracking) and keeps each
// stage's output for kRecordedHops consecutive hops. Every BM_Hop/<stage> then drives a fresh
// instance of that stage through the recorded inputs, hop after hop (stateful stages see a
// continuous stream), and times only the stage's call: per-hop copies of inputs that a stage
// rewrites (peaks whose phases it changes, the output frame of an effect) are made outside
// the timed region, which is measured in thread CPU time (see RunStage). BM_Hop/AnalysisWhole,
// SynthesisWhole and ChainWhole are the composites and HarmonicPath::ProcessHop (no effect) on the
// continuous signal.
//
// "SpectralSynthesis+OverlapAdd" is one of the synthesis's three: the synthesis runs it for
// the sinusoids, the residual and their sum.

#include "DSP/Data/CopyReusingStorage.hpp"
#include "DSP/Data/Frame.hpp"
#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Misc/FiniteOrZero.hpp"
#include "DSP/Processing/Analysis/FundFreqDetect.hpp"
#include "DSP/Processing/Analysis/HLNAnalysis.hpp"
#include "DSP/Processing/Analysis/SinTracking.hpp"
#include "DSP/Processing/Analysis/SpectralAnalysis.hpp"
#include "DSP/Processing/Analysis/SpectralPeakDetect.hpp"
#include "DSP/Processing/Analysis/SpectrumSubstracter2.hpp"
#include "DSP/Processing/Synthesis/HLNSynthesis.hpp"
#include "DSP/Processing/Synthesis/OverlapAdd.hpp"
#include "DSP/Processing/Synthesis/PhaseManagement.hpp"
#include "DSP/Processing/Synthesis/SpectralSynthesis.hpp"
#include "DSP/Processing/Synthesis/SynthSineSpectrum.hpp"
#include "Quorvel/Engine/EffectFactory.hpp"
#include "Quorvel/Engine/HarmonicPath.hpp"
#include "Quorvel/ProgramParameters/ProgramTable.hpp"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <time.h>
#include <vector>

namespace {

constexpr float kRate = 44100.f;
constexpr int kHop = 256;
constexpr int kSinWindow = 2048; // samples each branch reads: window size - 1
constexpr int kResWindow = 1024;
constexpr int kRecordedHops = 256;
constexpr int kFirstRecordedHop = 16;

const std::vector<float>& Voice() {
    static const std::vector<float> samples = [] {
        const int n = int(6 * kRate);
        std::vector<float> x(size_t(n), 0.f);
        std::mt19937 rng(7);
        std::uniform_real_distribution<float> noise(-1e-3f, 1e-3f);
        double phase = 0.0;
        for (int i = 0; i < n; ++i) {
            const double t = i / double(kRate);
            const double f0 = 300.0 * std::pow(0.5, t / 6.0) *
                              std::pow(2.0, 40.0 / 1200.0 * std::sin(2 * M_PI * 5.5 * t));
            phase += 2 * M_PI * f0 / kRate;
            double v = 0.0;
            for (int h = 1; h * f0 < 0.45 * kRate; ++h)
                v += std::sin(h * phase) / h;
            x[size_t(i)] = float(0.25 * v) + noise(rng);
        }
        return x;
    }();
    return samples;
}

void Presize(DSP::Spectrum& spectrum, int bins) {
    spectrum.SetType(
        DSP::SpecTypeFlags({DSP::SpecTypeFlags::eMagPhase, DSP::SpecTypeFlags::eComplex}));
    spectrum.SetSize(bins);
    spectrum.SetType(DSP::SpecTypeFlags({DSP::SpecTypeFlags::eMagPhase}));
    spectrum.SetSpectralRange(kRate / 2);
}

DSP::Audio Window(int centre, int size) {
    DSP::Audio audio;
    audio.SetSize(size);
    const std::vector<float>& x = Voice();
    for (int i = 0; i < size; ++i)
        audio.GetBuffer()[i] = x[size_t(centre - size / 2 + i) % x.size()];
    return audio;
}

// The analysis children as the composite configures them.
struct AnalysisChildren {
    AnalysisChildren() : config(DSP::HLNAnalysisConfig::EngineDefaults()) {
        config.GetSinSpectralAnalysis().SetIsSinusoidal(true);
        sin.Configure(config.GetSinSpectralAnalysis());
        res.Configure(config.GetResSpectralAnalysis());
        peaks.Configure(config.GetPeakDetect());
        fund.Configure(config.GetFundFreqDetect());
        tracking.Configure(config.GetSinTracking());
        sine.Configure(config.GetSynthSineSpectrum());
        subtract.Configure(DSP::SpecSubstracter2Config());
        fund.GetFundFreqValue().AddLink(&tracking.GetFundFreqControl());
        for (DSP::Processing* p : std::initializer_list<DSP::Processing*>{
                 &sin, &res, &peaks, &fund, &tracking, &sine, &subtract})
            p->Start();
    }
    DSP::HLNAnalysisConfig config;
    DSP::SpectralAnalysis sin, res;
    DSP::SpectralPeakDetect peaks;
    DSP::FundFreqDetect fund;
    DSP::SinTracking tracking;
    DSP::SynthSineSpectrum sine;
    DSP::SpectrumSubstracter2 subtract;
};

// What each stage consumed and produced on kRecordedHops consecutive hops.
struct HopData {
    DSP::Audio sinWindow, resWindow;
    DSP::Spectrum sinSpectrum, resSpec, sinSpecDb, sineSpec, residual;
    DSP::SpectralPeakArray detected, tracked;
    DSP::Fundamental fundamental;
    DSP::Frame frame; // the analysis composite's frame of the same hop
};

const std::vector<HopData>& Recorded() {
    static const std::vector<HopData> hops = [] {
        GlobalProcessInfo::SetSampleRate(kRate);
        AnalysisChildren c;
        std::vector<HopData> out(static_cast<size_t>(kRecordedHops));
        auto path = std::make_unique<Quorvel::HarmonicPath>();
        path->Configure();
        const std::vector<float>& x = Voice();
        const int sinBins = kSinWindow / 2 + 1, resBins = kResWindow / 2 + 1;
        for (int n = 0; n < kFirstRecordedHop + kRecordedHops; ++n) {
            const bool ran = path->Analyse(&x[size_t(n * kHop)]);
            const int r = n - kFirstRecordedHop;
            if (r < 0)
                continue;
            HopData& h = out[size_t(r)];
            if (!ran)
                throw std::runtime_error("the analysis reported no frame");
            h.frame = path->InputFrame();
            const int centre = (n + 1) * kHop - kSinWindow / 2;
            h.sinWindow = Window(centre, kSinWindow);
            h.resWindow = Window(centre, kResWindow);
            for (auto* s : {&h.sinSpectrum, &h.sinSpecDb})
                Presize(*s, sinBins);
            for (auto* s : {&h.resSpec, &h.sineSpec, &h.residual})
                Presize(*s, resBins);
            h.detected.SetnMaxPeaks(c.config.GetPeakDetect().GetMaxPeaks());
            h.tracked.SetnMaxPeaks(c.config.GetSinTracking().GetMaxTracks());
            h.fundamental.SetnMaxCandidates(1);
            c.sin.Do(h.sinWindow, h.sinSpectrum);
            c.res.Do(h.resWindow, h.resSpec);
            h.sinSpecDb = h.sinSpectrum;
            h.sinSpecDb.ToDB();
            h.detected.SetScale(DSP::EScale(DSP::EScale::eLog));
            c.peaks.Do(h.sinSpecDb, h.detected);
            c.fund.Do(h.detected, h.fundamental);
            c.tracking.Do(h.detected, h.tracked);
            c.sine.Do(h.tracked, h.sineSpec, 1.0);
            c.subtract.Do(h.resSpec, h.sineSpec, h.residual);
        }
        return out;
    }();
    return hops;
}

// One stage: `prepare(hop)` runs untimed before each timed `run(hop)`.
struct StageRun {
    std::function<void(int)> prepare = [](int) {};
    std::function<void(int)> run;
};

// The machine these run on is shared: the timed region is measured in this thread's CPU time,
// less the cost of reading that clock twice (the median of many empty measurements).
double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

double ClockOverhead() {
    static const double overhead = [] {
        std::vector<double> samples(20001);
        for (double& s : samples) {
            const double start = ThreadSeconds();
            s = ThreadSeconds() - start;
        }
        std::nth_element(samples.begin(), samples.begin() + 10000, samples.end());
        return samples[10000];
    }();
    return overhead;
}

void RunStage(benchmark::State& state, const std::function<StageRun()>& make) {
    GlobalProcessInfo::SetSampleRate(kRate);
    Recorded();
    StageRun stage = make();
    const double overhead = ClockOverhead();
    int hop = 0;
    for (auto _ : state) {
        stage.prepare(hop);
        const double start = ThreadSeconds();
        stage.run(hop);
        const double elapsed = ThreadSeconds() - start - overhead;
        state.SetIterationTime(std::max(elapsed, 1e-10));
        hop = (hop + 1) % kRecordedHops;
    }
}

const HopData& At(int hop) {
    return Recorded()[size_t(hop)];
}

// Per-hop working copies of one hop's data, for stages that write into their inputs.
struct Scratch {
    HopData h = At(0);
};

using Factory = std::function<StageRun()>;

const std::vector<std::pair<std::string, Factory>>& Stages() {
    static const std::vector<std::pair<std::string, Factory>> table = {
        {"SinBranchAnalysis2049",
         [] {
             auto c = std::make_shared<AnalysisChildren>();
             auto s = std::make_shared<Scratch>();
             return StageRun{[](int) {},
                             [c, s](int n) { c->sin.Do(At(n).sinWindow, s->h.sinSpectrum); }};
         }},
        {"ResBranchAnalysis1025",
         [] {
             auto c = std::make_shared<AnalysisChildren>();
             auto s = std::make_shared<Scratch>();
             return StageRun{[](int) {},
                             [c, s](int n) { c->res.Do(At(n).resWindow, s->h.resSpec); }};
         }},
        {"PeakDetect(withDbCopy)",
         [] {
             auto c = std::make_shared<AnalysisChildren>();
             auto s = std::make_shared<Scratch>();
             return StageRun{[](int) {},
                             [c, s](int n) {
                                 s->h.sinSpecDb = At(n).sinSpectrum;
                                 s->h.sinSpecDb.ToDB();
                                 c->peaks.Do(s->h.sinSpecDb, s->h.detected);
                             }};
         }},
        {"FundFreqDetect",
         [] {
             auto c = std::make_shared<AnalysisChildren>();
             auto s = std::make_shared<Scratch>();
             return StageRun{[s](int n) { DSP::CopyReusingStorage(s->h.detected, At(n).detected); },
                             [c, s](int) { c->fund.Do(s->h.detected, s->h.fundamental); }};
         }},
        {"SinTracking",
         [] {
             auto c = std::make_shared<AnalysisChildren>();
             auto s = std::make_shared<Scratch>();
             return StageRun{[c](int n) {
                                 const DSP::Fundamental& f = At(n).fundamental;
                                 c->tracking.GetFundFreqControl().DoControl(
                                     f.GetnCandidates() > 0 ? f.GetFreq(0) : 0.f);
                             },
                             [c, s](int n) { c->tracking.Do(At(n).detected, s->h.tracked); }};
         }},
        {"SynthSineSpectrum",
         [] {
             auto c = std::make_shared<AnalysisChildren>();
             auto s = std::make_shared<Scratch>();
             return StageRun{[](int) {},
                             [c, s](int n) { c->sine.Do(At(n).tracked, s->h.sineSpec, 1.0); }};
         }},
        {"SpectrumSubstracter2",
         [] {
             auto c = std::make_shared<AnalysisChildren>();
             auto s = std::make_shared<Scratch>();
             return StageRun{
                 [s](int n) {
                     DSP::CopyReusingStorage(s->h.resSpec, At(n).resSpec);
                     DSP::CopyReusingStorage(s->h.sineSpec, At(n).sineSpec);
                 },
                 [c, s](int) { c->subtract.Do(s->h.resSpec, s->h.sineSpec, s->h.residual); }};
         }},
        {"PhaseManagement",
         [] {
             auto config = std::make_shared<DSP::HLNSynthesisConfig>(
                 DSP::HLNSynthesisConfig::EngineDefaults());
             auto pm = std::make_shared<DSP::PhaseManagement>();
             pm->Configure(config->GetPhaseManagement());
             pm->Init();
             pm->Start();
             auto s = std::make_shared<Scratch>();
             auto frames = std::make_shared<long>(0);
             return StageRun{[pm, s, frames](int n) {
                                 DSP::CopyReusingStorage(s->h.tracked,
                                                         At(n).frame.GetSpectralPeakArray());
                                 pm->GetCurrentTimeControl().DoControl(
                                     float(double((*frames)++) * kHop / kRate));
                                 pm->GetCurrentPitchControl().DoControl(
                                     At(n).frame.GetFundamental().GetFreq(0));
                             },
                             [pm, s](int) { pm->Do(s->h.tracked); }};
         }},
        {"SynthSineSpectrum(synthesis)",
         [] {
             const auto config = DSP::HLNSynthesisConfig::EngineDefaults();
             auto sine = std::make_shared<DSP::SynthSineSpectrum>();
             sine->Configure(config.GetSynthSineSpectrum());
             sine->Start();
             auto s = std::make_shared<Scratch>();
             return StageRun{[](int) {},
                             [sine, s](int n) {
                                 sine->Do(At(n).frame.GetSpectralPeakArray(), s->h.sineSpec, 1.0);
                             }};
         }},
        {"AddSpectrums",
         [] {
             auto s = std::make_shared<Scratch>();
             return StageRun{[s](int n) {
                                 DSP::CopyReusingStorage(s->h.sineSpec, At(n).sineSpec);
                                 DSP::CopyReusingStorage(s->h.residual, At(n).residual);
                             },
                             [s](int) {
                                 DSP::HLNSynthesis::AddSpectrums(s->h.sineSpec, s->h.residual,
                                                                 s->h.resSpec);
                             }};
         }},
        {"SpectralSynthesis+OverlapAdd(x1)",
         [] {
             const auto config = DSP::HLNSynthesisConfig::EngineDefaults();
             auto synthesis = std::make_shared<DSP::SpectralSynthesis>();
             synthesis->Configure(config.GetSpectralSynthesis());
             synthesis->Start();
             auto ola = std::make_shared<DSP::OverlapAdd>();
             ola->Configure(config.GetOverlapAdd(2));
             ola->Start();
             auto block = std::make_shared<DSP::Audio>(), hop = std::make_shared<DSP::Audio>();
             block->SetSize(2 * kHop);
             hop->SetSize(kHop);
             return StageRun{[](int) {},
                             [=](int n) {
                                 synthesis->Do(At(n).residual, *block);
                                 float* b = block->GetBuffer().GetPtr();
                                 for (int i = 0; i < block->GetSize(); ++i)
                                     b[i] = DSP::FiniteOrZero(b[i]);
                                 ola->Do(*block, *hop);
                             }};
         }},
        {"AnalysisWhole",
         [] {
             auto path = std::make_shared<Quorvel::HarmonicPath>();
             path->Configure();
             auto at = std::make_shared<size_t>(0);
             return StageRun{[](int) {},
                             [path, at](int) {
                                 const std::vector<float>& x = Voice();
                                 path->Analyse(&x[*at]);
                                 *at = (*at + kHop) % (x.size() - kHop);
                             }};
         }},
        {"SynthesisWhole",
         [] {
             auto synthesis = std::make_shared<DSP::HLNSynthesis>();
             synthesis->Configure(DSP::HLNSynthesisConfig::EngineDefaults());
             synthesis->Start();
             auto s = std::make_shared<Scratch>();
             synthesis->PrepareFrame(s->h.frame);
             return StageRun{[s](int n) { s->h.frame = At(n).frame; },
                             [synthesis, s](int) { synthesis->Do(s->h.frame); }};
         }},
        {"ChainWhole",
         [] {
             auto path = std::make_shared<Quorvel::HarmonicPath>();
             path->Configure();
             auto at = std::make_shared<size_t>(0);
             auto out = std::make_shared<std::vector<float>>(size_t(kHop));
             return StageRun{[](int) {},
                             [path, at, out](int) {
                                 const std::vector<float>& x = Voice();
                                 path->ProcessHop(&x[*at], 1.f, 1.f, out->data(),
                                                  [](const DSP::Frame&, DSP::Frame&) {});
                                 *at = (*at + kHop) % (x.size() - kHop);
                             }};
         }},
    };
    return table;
}

float ToDsp(DspValueScaling scaling, float value) {
    switch (scaling) {
    case DspValueScaling::SemitonesToRatio:
        return std::pow(2.f, value / 12.f);
    case DspValueScaling::DividedBy50:
        return value / 50.f;
    case DspValueScaling::DividedBy100:
        return value / 100.f;
    case DspValueScaling::AsIs:
        break;
    }
    return value;
}

// A harmonic program's effect configured as the engine does, with the program's default values.
StageRun EffectStage(const ProgramDescription& program) {
    std::shared_ptr<DSP::FrameTransformation> effect = Quorvel::CreateEffect(program.id);
    DSP::FrameTransformationConfig config;
    config.SetInPlace(true);
    if (std::string(program.dspClassName) == "HLNHarmonizer")
        for (int i = 0; i < 4; ++i)
            config.GetAmountCurve().GetPointArray().AddElem({-12.0f, 1.0f});
    effect->Configure(config);
    effect->Start();
    effect->Reset();
    for (const ProgramParameterDescription& row : program) {
        const float value = ToDsp(row.scaling, row.parameter.defaultValue);
        if (row.effectControl == kEffectAmount)
            effect->mAmount.store(value);
        else
            effect->GetInControls().Get(row.effectControl).DoControl(value);
    }
    auto out = std::make_shared<Scratch>();
    // ProcessHop hands the effect a copy of the analysed frame as its output frame.
    return StageRun{[out](int n) { out->h.frame = At(n).frame; },
                    [effect, out](int n) { effect->Do(At(n).frame, out->h.frame); }};
}

const bool kRegistered = [] {
    for (const auto& [name, factory] : Stages())
        benchmark::RegisterBenchmark(
            ("BM_Hop/" + name).c_str(),
            [factory = factory](benchmark::State& s) { RunStage(s, factory); })
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond);
    for (unsigned p = ProgramTable::kShortTimeProgramCount; p < ProgramTable::kProgramCount; ++p) {
        const ProgramDescription& program = ProgramTable::program(p);
        benchmark::RegisterBenchmark(
            ("BM_HarmonicEffect/" + std::string(program.dspClassName)).c_str(),
            [&program](benchmark::State& s) {
                RunStage(s, [&program] { return EffectStage(program); });
            })
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond);
    }
    return true;
}();

} // namespace
