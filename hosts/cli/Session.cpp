#include "hosts/cli/Session.hpp"

#include "Quorvel/ProgramParameters/ProgramTable.hpp"
#include "Quorvel/QuorvelAudio.hpp"
#include "Quorvel/QuorvelDocument.hpp"
#include "hosts/cli/CliError.hpp"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <strings.h>
#include <sys/stat.h>

namespace quorvel::cli {

namespace {

// Program texts are small; anything much larger is refused by the document anyway.
constexpr std::streamsize kMaxStateBytes = 2 << 20;

std::string programList() {
    std::string text;
    for (const ProgramDescription* p : ProgramTable::kPrograms)
        text +=
            (text.empty() ? "" : ", ") + std::to_string(p->presetNumber) + " \"" + p->name + "\"";
    return text;
}

bool equalsIgnoringCase(const std::string& a, const char* b) {
    return strcasecmp(a.c_str(), b) == 0;
}

// The global parameters a setting may also name.
constexpr unsigned int kGlobalParameters[] = {ParameterIndex::Gain, ParameterIndex::DryWet};

const ParameterDescription* findSettingParameter(const ProgramDescription& program,
                                                 const std::string& name) {
    for (unsigned int index : kGlobalParameters)
        if (name == ProgramTable::parameter(index).name)
            return &ProgramTable::parameter(index);
    if (const ProgramParameterDescription* row = ProgramTable::findParameter(program, name))
        return &row->parameter;
    // A unique case-insensitive match is taken too, among the global parameters as among the
    // program's own: "lowgain [db]" means "LowGain [dB]", "gain" means "Gain".
    const ParameterDescription* match = nullptr;
    auto consider = [&](const ParameterDescription& p) {
        if (!equalsIgnoringCase(name, p.name))
            return true;
        if (match)
            return false;
        match = &p;
        return true;
    };
    for (unsigned int index : kGlobalParameters)
        if (!consider(ProgramTable::parameter(index)))
            return nullptr;
    for (const ProgramParameterDescription& row : program)
        if (!consider(row.parameter))
            return nullptr;
    return match;
}

std::string parameterList(const ProgramDescription& program) {
    std::string text;
    for (const ProgramParameterDescription& row : program)
        text += (text.empty() ? "\"" : ", \"") + std::string(row.parameter.name) + "\"";
    return text + ", \"Gain\", \"Dry/Wet\"";
}

orvane::AnyValue parseValue(const ParameterDescription& p, const std::string& text) {
    const std::string name = std::string("\"") + p.name + "\"";
    if (p.type == orvane::AnyValue::Bool) {
        for (const char* yes : {"1", "on", "true"})
            if (equalsIgnoringCase(text, yes))
                return orvane::AnyValue(true);
        for (const char* no : {"0", "off", "false"})
            if (equalsIgnoringCase(text, no))
                return orvane::AnyValue(false);
        throw usageError(name + " takes 0/1, on/off or true/false, not '" + text + "'");
    }
    const std::optional<double> number = numberFrom(text);
    if (!number)
        throw usageError(name + " takes a number, not '" + text + "'");
    const double value = *number;
    const std::string range = formatNumber(p.minValue) + " to " + formatNumber(p.maxValue);
    if (value < p.minValue || value > p.maxValue)
        throw usageError(name + " takes a value from " + range + ", not '" + text + "'");
    if (p.type == orvane::AnyValue::Int) {
        if (value != std::floor(value))
            throw usageError(name + " takes a whole number from " + range + ", not '" + text + "'");
        return orvane::AnyValue(int(value));
    }
    return orvane::AnyValue(float(value));
}

} // namespace

Session::Session() : mDocument(std::make_unique<QuorvelDocument>()) {}

Session::~Session() {
    if (mEngine)
        mDocument->removeInterface(mEngine.get());
}

void Session::prepareEngine(int sampleRate, int channels, int blockFrames) {
    mEngine = std::make_unique<QuorvelAudio>(mDocument.get());
    mEngine->setMaxBufferSize(unsigned(blockFrames));
    if (!mEngine->setChannelConfiguration(unsigned(channels), unsigned(channels)))
        throw processingError("the engine takes mono or stereo audio, not " +
                              std::to_string(channels) + " channels");
    if (!mEngine->setSamplingRate(unsigned(sampleRate)))
        throw processingError("the engine does not run at " + std::to_string(sampleRate) + " Hz");
    if (!mEngine->Initialize())
        throw processingError("the engine failed to start");
}

void Session::loadState(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        throw processingError("cannot read '" + path + "': it is a directory");
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw processingError("cannot read '" + path + "': " + std::strerror(errno));
    std::string text(size_t(kMaxStateBytes), '\0');
    file.read(text.data(), kMaxStateBytes);
    text.resize(size_t(file.gcount()));
    std::string reason;
    if (!mDocument->loadProgramText(text.data(), text.size(), &reason))
        throw processingError("'" + path + "' is not a valid program text: " + reason);
}

void Session::selectProgram(const std::string& nameOrNumber) {
    const ProgramDescription* found = nullptr;
    const bool numeric =
        !nameOrNumber.empty() && nameOrNumber.find_first_not_of("0123456789") == std::string::npos;
    if (numeric) {
        const unsigned long n = std::strtoul(nameOrNumber.c_str(), nullptr, 10);
        if (nameOrNumber.size() <= 2 && n < ProgramTable::kProgramCount)
            found = &ProgramTable::program(unsigned(n));
    } else {
        for (const ProgramDescription* p : ProgramTable::kPrograms)
            if (equalsIgnoringCase(nameOrNumber, p->name))
                found = p;
    }
    if (!found)
        throw usageError("unknown program '" + nameOrNumber + "'; programs are " + programList());
    mDocument->activateProgram(found->presetNumber);
}

const ProgramDescription& Session::currentProgram() const {
    return ProgramTable::program(mDocument->getCurrentPresetNumber());
}

ResolvedSetting Session::resolve(const Setting& setting, int sampleRate) const {
    const ProgramDescription& program = currentProgram();
    const ParameterDescription* p = findSettingParameter(program, setting.name);
    if (!p)
        throw usageError("\"" + setting.name + "\" is not a parameter of \"" + program.name +
                         "\"; its parameters are " + parameterList(program));
    ResolvedSetting resolved;
    resolved.index = p->index;
    resolved.value = parseValue(*p, setting.value);
    resolved.text = setting.text;
    if (setting.atSeconds) {
        if (sampleRate <= 0)
            throw usageError("'" + setting.text + "': a time (@SECONDS) applies only to render");
        // A time too far out for a frame number is simply beyond any input (llround of it
        // would be undefined).
        const double frame = std::round(*setting.atSeconds * sampleRate);
        resolved.atFrame = frame < 0x1p62 ? int64_t(frame) : int64_t(1) << 62;
    }
    return resolved;
}

void Session::apply(const ResolvedSetting& setting) {
    mDocument->updateParameter(setting.index, setting.value, nullptr);
}

void Session::applyOptions(const SessionOptions& options) {
    if (options.stateFile)
        loadState(*options.stateFile);
    if (options.program)
        selectProgram(*options.program);
    if (options.gain)
        mDocument->updateParameter(ParameterIndex::Gain, orvane::AnyValue(float(*options.gain)),
                                   nullptr);
    if (options.dryWet)
        mDocument->updateParameter(ParameterIndex::DryWet, orvane::AnyValue(float(*options.dryWet)),
                                   nullptr);
}

std::string Session::programText() const {
    return mDocument->getProgramText();
}

bool Session::currentProgramAvailable() const {
    return mEngine && mEngine->isProgramAvailable(mDocument->getCurrentPresetNumber());
}

unsigned int Session::latencyFrames() const {
    return mEngine ? mEngine->getLatencySamples() : 0;
}

AudioData Session::render(AudioData audio, std::vector<ResolvedSetting> timed, int blockFrames,
                          bool compensateLatency, void (*progress)(void*, int64_t), void* context) {
    const int channels = audio.channelCount();
    const int64_t frames = audio.frameCount();
    // Compensating means lining the output up with the input: the engine's output is its input
    // delayed by its latency, but a fresh stream's first hop carries no input and its second
    // is only half overlap-added, so the input is preceded by two hops of silence (and then
    // every input sample comes out whole) and followed by enough to flush the tail.
    const int64_t preRoll = compensateLatency ? int64_t(mEngine->getPreRollSamples()) : 0;
    const int64_t latency = compensateLatency ? int64_t(latencyFrames()) : 0;
    const int64_t total = preRoll + frames + latency;
    std::stable_sort(timed.begin(), timed.end(),
                     [](const auto& a, const auto& b) { return *a.atFrame < *b.atFrame; });

    // The output goes into the input's own buffers. A block's input is copied out before its
    // output is written, and output sample j is written only once input sample j + latency has
    // been taken, so no sample is overwritten before it has been read.
    std::vector<std::vector<float>> inBlock(2, std::vector<float>(size_t(blockFrames)));
    std::vector<std::vector<float>> outBlock(2, std::vector<float>(size_t(blockFrames)));
    float* inputs[2] = {inBlock[0].data(), channels > 1 ? inBlock[1].data() : nullptr};
    float* outputs[2] = {outBlock[0].data(), channels > 1 ? outBlock[1].data() : nullptr};

    size_t next = 0;
    for (int64_t pos = 0; pos < total;) {
        // A setting timed at input sample f applies just before the engine takes sample f.
        while (next < timed.size() && *timed[next].atFrame + preRoll <= pos)
            apply(timed[next++]);
        int64_t n = std::min<int64_t>(blockFrames, total - pos);
        if (next < timed.size())
            n = std::min<int64_t>(n, *timed[next].atFrame + preRoll - pos);
        // Block sample i is input sample pos - preRoll + i (silence outside the input), and
        // output sample i is file sample pos - preRoll - latency + i (dropped outside it).
        const int64_t inStart = pos - preRoll;
        const int64_t inFirst = std::clamp<int64_t>(-inStart, 0, n);
        const int64_t inEnd = std::clamp<int64_t>(frames - inStart, inFirst, n);
        for (int c = 0; c < channels; ++c) {
            float* block = inBlock[size_t(c)].data();
            std::fill(block, block + inFirst, 0.0f);
            // An empty file's channels have no storage at all: offset into them only when
            // there is something to take.
            if (inEnd > inFirst)
                std::copy_n(audio.channels[size_t(c)].data() + inStart + inFirst, inEnd - inFirst,
                            block + inFirst);
            std::fill(block + inEnd, block + n, 0.0f);
        }
        mEngine->Process(inputs, outputs, unsigned(n));
        const int64_t outStart = inStart - latency;
        const int64_t outFirst = std::clamp<int64_t>(-outStart, 0, n);
        const int64_t outEnd = std::clamp<int64_t>(frames - outStart, outFirst, n);
        for (int c = 0; c < channels && outEnd > outFirst; ++c)
            std::copy(outBlock[size_t(c)].data() + outFirst, outBlock[size_t(c)].data() + outEnd,
                      audio.channels[size_t(c)].data() + outStart + outFirst);
        pos += n;
        if (progress)
            progress(context, std::clamp<int64_t>(pos - preRoll, 0, frames));
    }
    while (next < timed.size())
        apply(timed[next++]);
    return audio;
}

} // namespace quorvel::cli
