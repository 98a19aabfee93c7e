#pragma once

// Process-wide processing values: the sample rate every new audio block starts with, the hop
// ("frame size") the spectral effects count frames in, and the latency the plug-in reports.
// The engine sets them while it initialises, before any processing object reads them; they
// are plain statics, read without locks on the render thread and never changed while it runs.
class GlobalProcessInfo {
public:
    static float GetSampleRate() { return sSampleRateHz; }
    static void SetSampleRate(float sampleRateHz) { sSampleRateHz = sampleRateHz; }

    // The hop in samples between two analysis frames.
    static float GetFrameSize() { return sFrameSizeSamples; }
    static void SetFrameSize(float frameSizeSamples) { sFrameSizeSamples = frameSizeSamples; }

    // Latency is set in samples and read back in seconds at the current sample rate.
    static void SetLatency(float latencySamples) { sLatencySamples = latencySamples; }
    static float GetLatency() { return sLatencySamples / sSampleRateHz; }

    // The frequency of the last bin of a one-sided spectrum: half the sample rate.
    static float GetSpectralRange() { return 0.5f * sSampleRateHz; }

private:
    static float sSampleRateHz;
    static float sFrameSizeSamples;
    static float sLatencySamples;
};
