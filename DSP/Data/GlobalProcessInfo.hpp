#pragma once

// The processing values every object of a chain reads: the sample rate, the hop ("frame
// size") the effects count frames in, and the latency the plug-in reports.
//
// Each engine owns its values and installs them for the duration of each of its entry points
// with a `GlobalProcessInfo::Scope`, so that two engines at different rates, on the same thread
// or on two threads, never see each other's values. Code that runs outside any scope (tests,
// tools that drive one chain directly) reads and writes a process-wide record instead, which
// nothing else touches while an engine is inside its scope.
class GlobalProcessInfo {
public:
    struct Values {
        float sampleRateHz = 44100.f;
        float frameSizeSamples = 256.f;
        float latencySamples = 1024.f;
    };

    // Makes `values` the current thread's values until destroyed; scopes nest.
    class Scope {
    public:
        explicit Scope(Values& values) : mPrevious(sCurrent) { sCurrent = &values; }
        ~Scope() { sCurrent = mPrevious; }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        Values* mPrevious;
    };

    static float GetSampleRate() { return Current().sampleRateHz; }
    static void SetSampleRate(float sampleRateHz) { Current().sampleRateHz = sampleRateHz; }

    // The hop in samples between two analysis frames.
    static float GetFrameSize() { return Current().frameSizeSamples; }
    static void SetFrameSize(float frameSizeSamples) {
        Current().frameSizeSamples = frameSizeSamples;
    }

    // Latency is set in samples and read back in seconds at the current sample rate.
    static void SetLatency(float latencySamples) { Current().latencySamples = latencySamples; }
    static float GetLatency() { return Current().latencySamples / Current().sampleRateHz; }

    // The frequency of the last bin of a one-sided spectrum: half the sample rate.
    static float GetSpectralRange() { return 0.5f * Current().sampleRateHz; }

private:
    static Values& Current() { return sCurrent ? *sCurrent : sProcessWide; }

    static Values sProcessWide;
    static thread_local Values* sCurrent;
};
