#pragma once

#include "Quorvel/QuorvelAudio.hpp"
#include "Quorvel/QuorvelAutomation.hpp"
#include "Quorvel/QuorvelDocument.hpp"
#include "Quorvel/QuorvelHostCallbacks.hpp"
#include "orvane/Interface.hpp"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace Quorvel {

// The plug-in component: owns the document, the host parameter map (observer 2) and the engine
// (observer 1), created in that order, and turns a host's calls into calls on them. Hosts see
// the fourteen parameters of QuorvelAutomation, one factory preset per program, the program
// text as saved state and the engine's latency. Host adapters are thin layers on this class.
//
// Threads: `ProcessBufferLists` on the render thread (it never allocates, locks but the
// engine's lock, or does I/O); `SetParameter` on any thread; everything else on the host's
// main thread. The component takes no lock of its own: the engine serialises processing
// against suspension and parameter routing, the map guards host automation.
class Quorvel : public orvane::Host {
public:
    // The results of host calls; the numbers are the codes hosts of the original interface know.
    enum class Result : int {
        NoError = 0,
        InvalidProperty = -10879,
        InvalidParameter = -10878,
        InvalidFile = -10871,
        FormatNotSupported = -10868,
        InvalidPropertyValue = -10851,
    };
    enum class Scope { Input, Output };
    // One side's stream: its sample rate (Hz) and channel count.
    struct StreamFormat {
        double sampleRate;
        unsigned int channels;
    };
    struct ChannelConfiguration {
        unsigned int inputs;
        unsigned int outputs;
    };
    struct ParameterInfo {
        std::string name;
        float minValue;
        float maxValue;
        float defaultValue;
        bool readable;
        bool writable;
    };
    struct FactoryPreset {
        unsigned int number;
        std::string name;
    };

    static constexpr unsigned int kVersion = 0x10002; // 1.0.2
    static constexpr const char* kStateKey = "kav-data";
    // Both streams start at this rate with two channels, and blocks at this maximum length.
    static constexpr double kDefaultSampleRate = 44100.0;
    static constexpr unsigned int kDefaultMaxFramesPerSlice = 4096;
    // Offered to hosts. (2, 1) is offered but refused by Initialize: the engine runs 1 -> 1 and
    // 2 -> 2 only.
    static constexpr std::array<ChannelConfiguration, 3> kChannelConfigurations{
        {{1, 1}, {2, 1}, {2, 2}}};

    // `callbacks` (not owned, may be null) hears parameter and latency changes.
    explicit Quorvel(QuorvelHostCallbacks* callbacks = nullptr);
    ~Quorvel() override;

    static constexpr unsigned int Version() { return kVersion; }
    static constexpr bool SupportsTail() { return false; }

    // ---- format and lifecycle (main thread) ----
    // Records the stream of one side; the engine must accept the rate (FormatNotSupported and
    // nothing changed otherwise). The channel count is checked by Initialize.
    Result ChangeStreamFormat(Scope scope, const StreamFormat& format);
    const StreamFormat& GetStreamFormat(Scope scope) const;
    // Gives the engine the largest block it will be handed (suspended meanwhile).
    Result SetMaxFramesPerSlice(unsigned int frames);
    unsigned int GetMaxFramesPerSlice() const { return m_maxFramesPerSlice; }
    // Sizes and starts the engine for the recorded formats. FormatNotSupported when the engine
    // takes neither the channel counts nor the rate.
    Result Initialize();
    // Clears the engine's signal history (suspended meanwhile).
    Result Reset();

    // ---- render thread ----
    // One block: up to two input and two output channel pointers (`inputCount` / `outputCount`
    // of them are used; a missing one is null). Inputs may alias outputs. Blocks of any length
    // give the same output stream.
    Result ProcessBufferLists(unsigned int inputCount, const float* const* inputs,
                              unsigned int outputCount, float* const* outputs, unsigned int frames);

    // ---- host parameters, by host index 0..13 ----
    unsigned int GetParameterCount() const;
    Result GetParameter(unsigned int id, float& value) const;
    // Any thread. A value outside 0..1 is clamped, a non-finite one ignored.
    Result SetParameter(unsigned int id, float value);
    Result GetParameterInfo(unsigned int id, ParameterInfo& info) const;

    // ---- document parameters, for adapters that show them all (main or render thread) ----
    // Sets document parameter `index` from a plain number in its own units: brought into the
    // parameter's range and type (orvane::ClampToRange) and written with `source` as the writer
    // (null: every observer hears it). InvalidParameter, and nothing written, for an index the
    // document lacks or a parameter that is not automatable; a non-finite value is ignored
    // (InvalidPropertyValue).
    Result SetDocumentParameter(unsigned int index, double value,
                                orvane::Interface* source = nullptr);

    // ---- factory presets, one per program ----
    const std::vector<FactoryPreset>& GetPresets() const { return m_factoryPresets; }
    // Activates program `number`: InvalidProperty, and nothing changed, when there is none.
    Result NewFactoryPresetSet(unsigned int number);
    unsigned int GetCurrentFactoryPreset() const { return m_currentFactoryPreset; }

    // ---- state: the program text ----
    // The document's program text (no NUL).
    std::string SaveState() const;
    // Loads `length` bytes of program text. InvalidPropertyValue for a missing (null) or empty
    // text; InvalidFile, with everything as it was, for a text the document rejects (`error`,
    // when given, then says why).
    Result RestoreState(const char* text, std::size_t length, std::string* error = nullptr);

    // The engine's delay, in seconds and in samples at the current rate; it follows the program.
    double GetLatency() const;
    unsigned int GetLatencySamples() const;

    // Prints each stream format change to the standard error stream (off by default: a plug-in
    // does not write to its host's terminal).
    void setTraceFormatChanges(bool trace) { m_traceFormatChanges = trace; }

    // ---- orvane::Host ----
    // Tells the host adapter that host parameter `index` now has `value`.
    void sendAutomationToDaw(unsigned int index, float value) override;
    // Re-announces the twelve slots, then the latency.
    void programChanged(unsigned int presetIndex) override;

    QuorvelDocument& getQuorvelDocument() const;
    QuorvelAutomation& getQuorvelAutomation() const;
    QuorvelAudio& getEngine() const { return *m_engine; }

private:
    QuorvelHostCallbacks* m_callbacks;
    std::unique_ptr<QuorvelAudio> m_engine;
    std::vector<FactoryPreset> m_factoryPresets;
    unsigned int m_currentFactoryPreset = 0;
    StreamFormat m_inputFormat{kDefaultSampleRate, 2};
    StreamFormat m_outputFormat{kDefaultSampleRate, 2};
    unsigned int m_maxFramesPerSlice = kDefaultMaxFramesPerSlice;
    bool m_traceFormatChanges = false;
};

} // namespace Quorvel
