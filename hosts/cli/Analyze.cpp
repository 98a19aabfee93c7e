#include "hosts/cli/Analyze.hpp"

#include "DSP/Data/GlobalProcessInfo.hpp"
#include "Quorvel/Engine/HarmonicPath.hpp"
#include "Quorvel/QuorvelAudio.hpp"
#include "hosts/cli/Args.hpp"
#include "hosts/cli/CliError.hpp"
#include "hosts/cli/Progress.hpp"

#include <algorithm>
#include <memory>

namespace quorvel::cli {

namespace {

using Quorvel::HarmonicPath;
constexpr int kHop = HarmonicPath::kHopSamples;
// Files shorter than this show no progress bar.
constexpr double kProgressMinSeconds = 2.0;

void checkRate(int sampleRate) {
    const auto& rates = QuorvelAudio::kSampleRates;
    if (std::find(rates.begin(), rates.end(), unsigned(sampleRate)) == rates.end())
        throw processingError("the engine does not run at " + std::to_string(sampleRate) + " Hz");
}

std::string csvText(const std::vector<AnalysisRow>& rows) {
    std::string text = "time_s,f0_hz,error,peaks,harmonics\n";
    char line[128];
    for (const AnalysisRow& r : rows) {
        std::snprintf(line, sizeof line, "%.6f,%.3f,%.4f,%d,%d\n", r.timeSeconds, r.f0Hz, r.error,
                      r.peaks, r.harmonics);
        text += line;
    }
    return text;
}

struct Summary {
    size_t hops = 0;
    size_t voiced = 0;
    double medianHz = 0.0, minHz = 0.0, maxHz = 0.0;
};

Summary summarize(const std::vector<AnalysisRow>& rows) {
    Summary s;
    s.hops = rows.size();
    std::vector<double> f0;
    for (const AnalysisRow& r : rows)
        if (r.f0Hz > 0.0)
            f0.push_back(r.f0Hz);
    s.voiced = f0.size();
    if (!f0.empty()) {
        std::sort(f0.begin(), f0.end());
        s.minHz = f0.front();
        s.maxHz = f0.back();
        s.medianHz =
            f0.size() % 2 ? f0[f0.size() / 2] : 0.5 * (f0[f0.size() / 2 - 1] + f0[f0.size() / 2]);
    }
    return s;
}

std::string jsonText(int sampleRate, const std::vector<AnalysisRow>& rows) {
    const Summary s = summarize(rows);
    char buffer[256];
    std::string text = "{\"sample_rate\": " + std::to_string(sampleRate) +
                       ", \"hop_samples\": " + std::to_string(kHop) + ",\n \"summary\": ";
    std::snprintf(buffer, sizeof buffer,
                  "{\"hops\": %zu, \"voiced\": %zu, \"median_f0_hz\": %.3f, \"min_f0_hz\": %.3f, "
                  "\"max_f0_hz\": %.3f},\n \"hops\": [",
                  s.hops, s.voiced, s.medianHz, s.minHz, s.maxHz);
    text += buffer;
    for (size_t i = 0; i < rows.size(); ++i) {
        const AnalysisRow& r = rows[i];
        std::snprintf(buffer, sizeof buffer,
                      "%s\n  {\"time_s\": %.6f, \"f0_hz\": %.3f, \"error\": %.4f, \"peaks\": %d, "
                      "\"harmonics\": %d}",
                      i ? "," : "", r.timeSeconds, r.f0Hz, r.error, r.peaks, r.harmonics);
        text += buffer;
    }
    return text + "\n ]}\n";
}

void progressCallback(void* context, int64_t done) {
    static_cast<Progress*>(context)->update(done);
}

} // namespace

std::vector<AnalysisRow> analyzeAudio(const AudioData& input, void (*progress)(void*, int64_t),
                                      void* context) {
    checkRate(input.sampleRate);
    GlobalProcessInfo::Values values;
    values.sampleRateHz = float(input.sampleRate);
    values.frameSizeSamples = float(kHop);
    const GlobalProcessInfo::Scope scope(values);
    auto path = std::make_unique<HarmonicPath>();
    path->Configure();

    const std::vector<float>& samples = input.channels.at(0);
    const int64_t frames = int64_t(samples.size());
    std::vector<AnalysisRow> rows;
    float hop[kHop];
    // Hop n's window is centred on input sample kHop * n + offset: feed until the last centre
    // has passed the end of the input.
    for (int64_t n = 0;; ++n) {
        const int64_t centre = kHop * n + HarmonicPath::kAnalysisCentreOffsetSamples;
        if (centre >= frames)
            break;
        for (int k = 0; k < kHop; ++k) {
            const int64_t at = kHop * n + k;
            hop[k] = at < frames ? samples[size_t(at)] : 0.0f;
        }
        const bool analysed = path->Analyse(hop);
        if (progress)
            progress(context, std::min(frames, kHop * (n + 1)));
        if (!analysed || centre < 0)
            continue;
        const DSP::Frame& frame = path->InputFrame();
        const DSP::Fundamental& f0 = frame.GetFundamental();
        AnalysisRow row{double(centre) / input.sampleRate, 0.0, 0.0, path->LastPeakCount(), 0};
        if (frame.GetIsVoiced()) {
            row.f0Hz = f0.GetFreq(0);
            row.error = f0.GetErr(0);
            row.harmonics = frame.GetSpectralPeakArray().GetnPeaks();
        }
        rows.push_back(row);
    }
    return rows;
}

void analyzeFile(const AnalyzeOptions& options, std::FILE* out) {
    const AudioData input = readAudioFile(options.input);
    checkRate(input.sampleRate);
    const double seconds = double(input.frameCount()) / input.sampleRate;
    const bool terminal = Progress::stderrIsTerminal();
    Progress progress("analysing", input.frameCount(),
                      !options.quiet && terminal && seconds > kProgressMinSeconds);
    const std::vector<AnalysisRow> rows = analyzeAudio(input, progressCallback, &progress);
    progress.finish();

    if (options.csvFile)
        writeTextFile(*options.csvFile, csvText(rows));
    if (options.json)
        std::fputs(jsonText(input.sampleRate, rows).c_str(), out);
    else if (!options.csvFile)
        std::fputs(csvText(rows).c_str(), out);

    if (options.quiet || !terminal)
        return;
    const Summary s = summarize(rows);
    if (input.channelCount() > 1)
        std::fprintf(stderr, "quorvel: analysed the first of %d channels\n", input.channelCount());
    if (s.voiced == 0)
        std::fprintf(stderr, "%zu hops, none voiced\n", s.hops);
    else
        std::fprintf(
            stderr, "%zu hops, %.0f %% voiced; fundamental median %.1f Hz, range %.1f to %.1f Hz\n",
            s.hops, 100.0 * double(s.voiced) / double(s.hops), s.medianHz, s.minHz, s.maxHz);
}

} // namespace quorvel::cli
