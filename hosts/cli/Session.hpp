#pragma once
// A plug-in instance as the command line drives it: the document and, for rendering, the
// engine, set up the way a host would (formats, then Initialize) and changed the way a host
// would (every setting goes through the document, which routes it to the engine).

#include "hosts/cli/Args.hpp"
#include "hosts/cli/AudioFile.hpp"
#include "orvane/AnyValue.hpp"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QuorvelAudio;
class QuorvelDocument;
struct ProgramDescription;

namespace quorvel::cli {

// A setting checked against the current program and converted to a document value.
struct ResolvedSetting {
    unsigned int index = 0;
    orvane::AnyValue value;
    std::optional<int64_t> atFrame; // none: before the first sample
    std::string text;
};

class Session {
public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Creates the engine for this format and initializes it. Call before changing anything, so
    // that every change reaches the engine as it would in a host.
    void prepareEngine(int sampleRate, int channels, int blockFrames);

    // Loads a program text file. Throws CliError (processing) saying why it was refused.
    void loadState(const std::string& path);
    // Selects a program by its exact name (case-insensitive) or its number. Throws CliError
    // (usage) listing the programs for an unknown one.
    void selectProgram(const std::string& nameOrNumber);
    const ProgramDescription& currentProgram() const;

    // Checks a setting against the current program: the name must be one of its parameters (or
    // "Gain" / "Dry/Wet"), the value in the parameter's range. Throws CliError (usage) with the
    // valid names or the range. `sampleRate` converts the time; 0 when times are not allowed.
    ResolvedSetting resolve(const Setting& setting, int sampleRate) const;
    void apply(const ResolvedSetting& setting);
    void applyOptions(const SessionOptions& options);

    // The program text of the current state.
    std::string programText() const;

    // Renders `audio` through the engine. Settings with a time are applied at their sample.
    // With `compensateLatency` the output is aligned with the input and as long; without it,
    // it is as long as the input and delayed by the engine's latency. `progress` is called
    // with the frames done so far. The output takes the input's buffers: a caller that still
    // needs the input passes a copy.
    AudioData render(AudioData audio, std::vector<ResolvedSetting> timed, int blockFrames,
                     bool compensateLatency, void (*progress)(void*, int64_t), void* context);

    unsigned int latencyFrames() const;
    // False while the engine has no path for the current program.
    bool currentProgramAvailable() const;
    QuorvelDocument& document() { return *mDocument; }

private:
    std::unique_ptr<QuorvelDocument> mDocument;
    std::unique_ptr<QuorvelAudio> mEngine;
};

} // namespace quorvel::cli
