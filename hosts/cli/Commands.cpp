#include "hosts/cli/Commands.hpp"

#include "Quorvel/ProgramParameters/ProgramTable.hpp"
#include "Quorvel/QuorvelAudio.hpp"
#include "Quorvel/QuorvelDocument.hpp"
#include "hosts/cli/Analyze.hpp"
#include "hosts/cli/AudioFile.hpp"
#include "hosts/cli/Batch.hpp"
#include "hosts/cli/CliError.hpp"
#include "hosts/cli/DemoPage.hpp"
#include "hosts/cli/DemoPrograms.hpp"
#include "hosts/cli/DemoSound.hpp"
#include "hosts/cli/Png.hpp"
#include "hosts/cli/Progress.hpp"
#include "hosts/cli/Session.hpp"
#include "hosts/cli/Spectrogram.hpp"
#include "orvane/MessageText.hpp"

#include <sndfile.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>

namespace quorvel::cli {

namespace {

// Renders shorter than this show no progress bar.
constexpr double kProgressMinSeconds = 2.0;
constexpr int kDemoRate = 44100;

const char* familyName(KavCategoryIds category) {
    return category == KavCategoryIds::SFFT ? "short-time" : "harmonic";
}

const char* typeName(orvane::AnyValue::Type type) {
    switch (type) {
    case orvane::AnyValue::Int:
        return "int";
    case orvane::AnyValue::Bool:
        return "bool";
    case orvane::AnyValue::Float:
        return "float";
    default:
        return "other";
    }
}

std::string jsonString(const char* text) {
    std::string out = "\"";
    for (const char* p = text; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

// Which programs the engine can render; asked of an engine that is built but not started.
std::vector<bool> availablePrograms() {
    QuorvelDocument document;
    std::vector<bool> available;
    {
        QuorvelAudio engine(&document);
        for (unsigned int n = 0; n < ProgramTable::kProgramCount; ++n)
            available.push_back(engine.isProgramAvailable(n));
        document.removeInterface(&engine);
    }
    return available;
}

std::string parameterJson(const ParameterDescription& p) {
    return "{\"index\": " + std::to_string(p.index) + ", \"name\": " + jsonString(p.name) +
           ", \"type\": \"" + typeName(p.type) + "\", \"unit\": " + jsonString(unitSymbol(p.unit)) +
           ", \"min\": " + formatNumber(p.minValue) + ", \"max\": " + formatNumber(p.maxValue) +
           ", \"default\": " + formatNumber(p.defaultValue) + "}";
}

void listProgramsJson(const std::vector<bool>& available, std::FILE* out) {
    std::string text = "{\"global\": [" + parameterJson(ProgramTable::parameter(0)) + ", " +
                       parameterJson(ProgramTable::parameter(1)) + "],\n \"programs\": [\n";
    for (const ProgramDescription* p : ProgramTable::kPrograms) {
        text += "  {\"number\": " + std::to_string(p->presetNumber) +
                ", \"name\": " + jsonString(p->name) + ", \"family\": \"" +
                familyName(p->category) +
                "\", \"available\": " + (available[p->presetNumber] ? "true" : "false") +
                ",\n   \"help\": " + jsonString(p->helpText) + ",\n   \"parameters\": [";
        for (const ProgramParameterDescription& row : *p)
            text += std::string(&row == p->begin() ? "" : ", ") + parameterJson(row.parameter);
        text += "]}";
        text += p->presetNumber + 1 < ProgramTable::kProgramCount ? ",\n" : "\n";
    }
    text += " ]}\n";
    std::fputs(text.c_str(), out);
}

// Word-wraps `text` at `width` columns, each line indented by `indent`.
std::string wrapped(const char* text, size_t indent, size_t width) {
    std::string out, line;
    const std::string pad(indent, ' ');
    std::string word;
    auto flush = [&] {
        out += pad + line + "\n";
        line.clear();
    };
    for (const char* p = text;; ++p) {
        if (*p == ' ' || *p == '\0') {
            if (!word.empty()) {
                if (!line.empty() && indent + line.size() + 1 + word.size() > width)
                    flush();
                line += (line.empty() ? "" : " ") + word;
                word.clear();
            }
            if (*p == '\0')
                break;
        } else {
            word += *p;
        }
    }
    if (!line.empty())
        flush();
    return out;
}

void listProgramsText(const std::vector<bool>& available, std::FILE* out) {
    std::fprintf(out, "Global: \"Gain\" float 0 to 1 (default 1), \"Dry/Wet\" float 0 to 1 "
                      "(default 1); see --gain and --dry-wet\n\n");
    for (const ProgramDescription* p : ProgramTable::kPrograms) {
        std::fprintf(out, "%2u  %s  (%s%s)\n", p->presetNumber, p->name, familyName(p->category),
                     available[p->presetNumber] ? "" : ", not available yet");
        std::fputs(wrapped(p->helpText, 4, 92).c_str(), out);
        for (const ProgramParameterDescription& row : *p) {
            const ParameterDescription& q = row.parameter;
            const std::string range =
                q.type == orvane::AnyValue::Bool
                    ? "0/1"
                    : formatNumber(q.minValue) + " to " + formatNumber(q.maxValue);
            std::fprintf(out, "    %-24s %-5s %-16s default %s\n",
                         ("\"" + std::string(q.name) + "\"").c_str(), typeName(q.type),
                         range.c_str(), formatNumber(q.defaultValue).c_str());
        }
        std::fputc('\n', out);
    }
}

// A harmonic program reads the first channel and writes its result to every channel: said once,
// on standard error, when it is given a stereo file.
void noteFirstChannelOnly(const Session& session, const AudioData& input, bool quiet) {
    if (!quiet && input.channelCount() > 1 &&
        session.currentProgram().category == KavCategoryIds::HLN)
        std::fprintf(stderr,
                     "quorvel: note: \"%s\" is a harmonic program: it processes the first "
                     "channel and writes the result to both\n",
                     session.currentProgram().name);
}

// Applies the untimed settings now and returns the timed ones, checked against the input.
std::vector<ResolvedSetting> applySettings(Session& session, const SessionOptions& options,
                                           int sampleRate, int64_t frames) {
    std::vector<ResolvedSetting> timed;
    for (const Setting& setting : options.settings) {
        ResolvedSetting resolved = session.resolve(setting, sampleRate);
        if (!resolved.atFrame) {
            session.apply(resolved);
            continue;
        }
        if (*resolved.atFrame > frames)
            throw usageError("the time in '" + setting.text + "' is beyond the end of the input (" +
                             formatNumber(double(frames) / sampleRate) + " s)");
        timed.push_back(resolved);
    }
    return timed;
}

// Where a render reports its progress: a file of `total` frames.
struct ProgressTarget {
    const RenderProgress& report;
    int64_t total;
};

void progressCallback(void* context, int64_t done) {
    const auto* target = static_cast<const ProgressTarget*>(context);
    target->report(done, target->total);
}

struct Level {
    double peakDb;
    double rmsDb;
};

Level measure(const AudioData& audio) {
    double peak = 0.0, sum = 0.0;
    int64_t count = 0;
    for (const auto& channel : audio.channels)
        for (float s : channel) {
            peak = std::max(peak, double(std::fabs(s)));
            sum += double(s) * s;
            ++count;
        }
    auto db = [](double x) { return x > 0.0 ? 20.0 * std::log10(x) : -INFINITY; };
    return {db(peak), db(count ? std::sqrt(sum / double(count)) : 0.0)};
}

std::string slug(const char* name) {
    std::string out;
    for (const char* p = name; *p; ++p) {
        if (std::isalnum(static_cast<unsigned char>(*p)))
            out += char(std::tolower(static_cast<unsigned char>(*p)));
        else if (!out.empty() && out.back() != '-')
            out += '-';
    }
    while (!out.empty() && out.back() == '-')
        out.pop_back();
    return out;
}

// Every error is one line: messages quote paths, arguments and file contents, and none of
// those may break the line or forge a second "quorvel:" line.
void printError(const char* message) {
    std::fprintf(stderr, "quorvel: %s\n", orvane::escapedForMessage(message).c_str());
}

} // namespace

void listPrograms(bool json, std::FILE* out) {
    const std::vector<bool> available = availablePrograms();
    if (json)
        listProgramsJson(available, out);
    else
        listProgramsText(available, out);
}

void renderFile(const RenderOptions& options, const RenderProgress& progressTo) {
    if (options.input == options.output || sameFile(options.input, options.output))
        throw usageError("refusing to write the output over the input '" + options.input + "'");
    AudioData input = readAudioFile(options.input);
    const int format = outputFormatFor(options.output, input.format);
    if (options.spectrogram)
        checkPictureWritable(*options.spectrogram);

    Session session;
    session.prepareEngine(input.sampleRate, input.channelCount(), options.blockFrames);
    session.applyOptions(options.session);
    noteFirstChannelOnly(session, input, options.quiet);
    std::vector<ResolvedSetting> timed =
        applySettings(session, options.session, input.sampleRate, input.frameCount());

    const double seconds = double(input.frameCount()) / input.sampleRate;
    Progress progress("rendering", input.frameCount(),
                      !options.quiet && seconds > kProgressMinSeconds &&
                          Progress::stderrIsTerminal());
    const RenderProgress bar = [&](int64_t done, int64_t) { progress.update(done); };
    ProgressTarget target{progressTo ? progressTo : bar, input.frameCount()};
    // Only the picture reads the input after the render; without one, the output takes the
    // input's buffers instead of a second set as large.
    const AudioData output =
        session.render(options.spectrogram ? input : std::move(input), std::move(timed),
                       options.blockFrames, options.compensateLatency, progressCallback, &target);
    progress.finish();
    if (options.spectrogram && sameFile(options.input, *options.spectrogram))
        throw usageError("refusing to write the picture over the input '" + options.input + "'");
    const std::string picture =
        options.spectrogram ? encodePng(renderSpectrogram(options, input, output)) : "";
    writeAudioFile(options.output, output, format);
    if (options.spectrogram)
        writeTextFile(*options.spectrogram, picture);
}

void writeState(const SessionOptions& options, const std::optional<std::string>& path,
                std::FILE* out) {
    Session session;
    session.applyOptions(options);
    applySettings(session, options, 0, 0);
    const std::string text = session.programText();
    if (path)
        writeTextFile(*path, text);
    else
        std::fprintf(out, "%s\n", text.c_str());
}

void runDemo(const std::string& folder, std::FILE* out) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        throw processingError("cannot create '" + folder + "': " + error.message());

    const AudioData input = makeDemoSound(kDemoRate);
    const int format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    writeAudioFile(folder + "/input.wav", input, format);
    const double seconds = double(input.frameCount()) / input.sampleRate;
    const SpectrogramView view = spectrogramView(SpectrogramOptions(), input);
    writePng(folder + "/input.png", drawSpectrogram(channelPanels(input, "input"), view));
    DemoPageContent page{"input.wav", "input.png", seconds, kDemoRate, {}};

    std::fprintf(out, "Built-in sound: %s/input.wav (%.1f s, mono, %d Hz)\n\n", folder.c_str(),
                 seconds, kDemoRate);
    std::fprintf(out, "%-3s %-24s %-40s %9s %9s %9s %9s\n", "#", "program", "output", "peak dB",
                 "rms dB", "time ms", "x rt");
    for (const ProgramDescription* p : ProgramTable::kPrograms) {
        const DemoProgram demo = demoProgram(p->presetNumber);
        const std::string stem = (p->presetNumber < 10 ? "0" : "") +
                                 std::to_string(p->presetNumber) + "-" + slug(p->name);
        const std::string name = stem + ".wav";

        const auto start = std::chrono::steady_clock::now();
        Session session;
        session.prepareEngine(input.sampleRate, input.channelCount(), 512);
        session.applyOptions(demo.options);
        std::vector<ResolvedSetting> timed =
            applySettings(session, demo.options, input.sampleRate, input.frameCount());
        const AudioData output =
            session.render(input, std::move(timed), 512, true, nullptr, nullptr);
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        writeAudioFile(folder + "/" + name, output, format);
        writePng(folder + "/" + stem + ".png",
                 drawSpectrogram(channelPanels(output, p->name), view));

        const Level level = measure(output);
        const double realtime = elapsed > 0.0 ? seconds / elapsed : 0.0;
        std::fprintf(out, "%-3u %-24s %-40s %9.1f %9.1f %9.1f %9.0f\n", p->presetNumber, p->name,
                     (folder + "/" + name).c_str(), level.peakDb, level.rmsDb, elapsed * 1000.0,
                     realtime);
        page.entries.push_back({p->presetNumber, p->name, p->helpText, demoArguments(demo.options),
                                demo.note, name, stem + ".png", level.peakDb, level.rmsDb,
                                elapsed * 1000.0, realtime});
    }
    writeTextFile(folder + "/index.html", demoPageHtml(page));
    std::fprintf(out, "\nPage: %s/index.html\n", folder.c_str());
}

int runCommandLine(const std::vector<std::string>& args) {
    try {
        const ParsedArgs parsed = parseArgs(args);
        switch (parsed.command) {
        case Command::Help:
            std::fputs(helpText(parsed.helpTopic).c_str(), stdout);
            break;
        case Command::Programs:
            listPrograms(parsed.json, stdout);
            break;
        case Command::Render:
            if (parsed.render.outDir.empty())
                renderFile(parsed.render);
            else
                renderBatch(parsed.render, stdout);
            break;
        case Command::State:
            writeState(parsed.render.session, parsed.stateOutput, stdout);
            break;
        case Command::Analyze:
            analyzeFile(parsed.analyze, stdout);
            break;
        case Command::Spectrogram:
            spectrogramFile(parsed.spectrogram);
            break;
        case Command::Demo:
            runDemo(parsed.demoFolder, stdout);
            break;
        }
        // Output is buffered: a full disk or a closed pipe shows only when it is flushed.
        if (std::fflush(stdout) != 0 || std::ferror(stdout))
            throw processingError(std::string("cannot write to standard output: ") +
                                  std::strerror(errno));
        return kExitOk;
    } catch (const CliError& e) {
        printError(e.what());
        return e.status();
    } catch (const std::exception& e) {
        printError(e.what());
        return kExitProcessing;
    }
}

} // namespace quorvel::cli
