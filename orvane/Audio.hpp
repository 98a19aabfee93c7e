#pragma once

#include "orvane/Command.hpp"
#include "orvane/Interface.hpp"

#include "Threading/CriticalSection.hpp"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace orvane {

class Parameter;

// A channel layout that an engine accepts.
struct InputOutputConfiguration {
    std::uint32_t inputs;
    std::uint32_t outputs;
};

// The base of the plug-in's signal engine, and the engine's document observer.
//
// The concrete engine fills `m_configurations` and `m_samplingRates` in its constructor and
// implements `DoProcess`. The base serialises block processing against suspension with its
// recursive, priority-inheriting lock: `Process` holds it for a whole block, so once
// `suspend(true)` has returned no block runs the engine until `suspend(false)`. Blocks that
// arrive meanwhile are silenced, and the first block processed after them fades in over 6 ms
// (at most the block) so that the output does not click.
//
// Threads: `Process` runs on the host's render thread; `suspend`, `setSamplingRate`,
// `setChannelConfiguration`, `setMaxBufferSize`, `Initialize` and `reset` on the host's main
// thread; `parameterChanged` (hence `setParameter`) on whichever thread changed the document,
// not serialised with `Process`. The current rate, configuration and maximum block length are
// atomic, so the render thread always reads them whole.
class Audio : public Interface {
public:
    // Applies one parameter change to the engine when executed.
    class SimpleParameterUpdate : public Command {
    public:
        SimpleParameterUpdate(unsigned int index, const Parameter& parameter, Audio* audio)
            : m_index(index), m_parameter(parameter), m_audio(audio) {}
        void Execute() override { m_audio->setParameter(m_index, m_parameter); }

    private:
        std::uint32_t m_index;
        const Parameter& m_parameter;
        Audio* m_audio;
    };

    class CommandFactory {
    public:
        virtual ~CommandFactory() = 0;
        // A new heap command; the caller owns it.
        virtual Command* getCommand(unsigned int index, const Parameter& parameter,
                                    Audio* audio) = 0;
    };

    class SimpleCommandFactory : public CommandFactory {
    public:
        Command* getCommand(unsigned int index, const Parameter& parameter, Audio* audio) override {
            return new SimpleParameterUpdate(index, parameter, audio);
        }
    };

    // The fade-in after a suspension lasts this long, capped at the block length.
    static constexpr double kFadeInSeconds = 0.006;

    // Takes ownership of `factory`, starts not suspended with empty lists, and registers with
    // `document` (not owned; the destructor does not unregister).
    Audio(unsigned int id, Document* document, CommandFactory* factory);
    ~Audio() override = 0;

    // Forwards to `setParameter` at once, on the notifying thread.
    void parameterChanged(unsigned int index, Parameter& parameter) override;
    void presetChanged() override = 0;
    // Waits for a block in progress to finish, then sets the flag.
    void suspend(bool suspended) override;

    virtual bool Initialize() = 0;
    // Selects the first configuration with exactly these counts; false (and the previous one
    // kept) when there is none.
    virtual bool setChannelConfiguration(unsigned int inputs, unsigned int outputs);
    virtual void setMaxBufferSize(unsigned int frames);
    virtual void reset() = 0;
    // The processing delay in seconds; 0 in the base.
    virtual double getLatency() const;
    // The engine's block processing, called by `Process` with the lock held.
    virtual void DoProcess(float** inputs, float** outputs, unsigned int frames) = 0;
    virtual void setParameter(unsigned int index, const Parameter& parameter) = 0;

    // One host block: `inputs` and `outputs` hold one sample pointer per channel (null for a
    // channel the stream lacks, which is then left alone). While suspended, every output
    // channel of the current configuration is zero-filled and the engine is not called.
    // Otherwise the engine runs; if blocks were silenced since the last processed one, the
    // first min(frames, 6 ms) samples of each output channel are multiplied by a ramp that
    // starts at exactly 0 and rises by 1/L per sample. Never allocates.
    void Process(float** inputs, float** outputs, unsigned int frames);
    // `Process` without the lock, for a host that itself keeps every suspension and rebuild of
    // the engine away from the blocks it processes, so that its render thread never waits.
    // `SkipBlock` is the block such a host renders while a rebuild is under way: every output
    // channel zero-filled, as a suspended engine's, and the next processed block fades in.
    void ProcessUnlocked(float** inputs, float** outputs, unsigned int frames);
    void SkipBlock(float** outputs, unsigned int frames);
    // Makes `rate` current if it is one of the accepted rates; false (and the previous rate
    // kept) otherwise.
    bool setSamplingRate(unsigned int rate);
    // A hook that does nothing: updates are applied directly by `parameterChanged`.
    void ProcessCommandQueue() {}

    unsigned int getSamplingRate() const { return m_samplingRate.load(std::memory_order_relaxed); }
    unsigned int getMaxBufferSize() const {
        return m_maxBufferSize.load(std::memory_order_relaxed);
    }
    unsigned int getCurrentConfiguration() const {
        return m_currentConfiguration.load(std::memory_order_relaxed);
    }
    const std::vector<InputOutputConfiguration>& getConfigurations() const {
        return m_configurations;
    }
    const std::vector<unsigned int>& getSamplingRates() const { return m_samplingRates; }
    bool isSuspended() const;

protected:
    std::vector<InputOutputConfiguration> m_configurations; // filled by the concrete engine
    std::vector<unsigned int> m_samplingRates;              // in Hz, filled likewise
    std::atomic<unsigned int> m_currentConfiguration{0};    // index into m_configurations
    std::atomic<unsigned int> m_samplingRate{0};            // Hz
    std::atomic<unsigned int> m_maxBufferSize{0};           // frames
    std::unique_ptr<CommandFactory> m_commandFactory;
    mutable Threading::CriticalSection m_lock;
    bool m_suspended = false;     // guarded by m_lock
    bool m_fadeInPending = false; // guarded by m_lock (or the host, unlocked)

private:
    unsigned int outputChannelCount() const;
    void silence(float** outputs, unsigned int frames) const;
    void fadeIn(float** outputs, unsigned int frames) const;
};

} // namespace orvane
