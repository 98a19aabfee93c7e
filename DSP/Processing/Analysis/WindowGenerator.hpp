#pragma once

#include "DSP/Data/Audio.hpp"
#include "DSP/Data/Spectrum.hpp"
#include "DSP/Misc/Array.hpp"
#include "DSP/Misc/Ports/AudioOutPort.hpp"
#include "DSP/Processing/Analysis/WindowGeneratorConfig.hpp"
#include "DSP/Processing/Base/InControl.hpp"
#include "DSP/Processing/Base/Processing.hpp"

namespace DSP {

/// Fills a buffer with a window function, normalizes it and optionally inverts it.
///
/// One Do writes the whole buffer it is given (L samples): the first n = (int) "Size" control
/// value samples hold the window, the rest zeros; then the normalization runs over all L.
/// With UseTable the window is generated once at configuration (Size samples) and each Do
/// resamples that table to n samples by nearest lower entry, so a "Size" change costs one
/// pass. Do allocates nothing.
///
/// Configure on the owner's thread while stopped; Do on the audio thread. The "Size" control
/// may be written from another thread (it is read once per Do).
class WindowGenerator : public Processing {
public:
    WindowGenerator();
    explicit WindowGenerator(const WindowGeneratorConfig& config);
    ~WindowGenerator() override;

    const char* GetDSPClassName() const override { return "WindowGenerator"; }
    const ProcessingConfig& GetConfig() const override { return mConfig; }

    /// Generates into the output port's audio and produces on that port.
    bool Do() override;
    /// Generates into all of out (see above). Throws, before writing anything, if the
    /// normalization value is unknown or the "Size" control exceeds out's size.
    bool Do(Array<float>& out);
    /// The same on the sample buffer of an audio block.
    bool Do(Audio& out);
    /// The same on the magnitude buffer of a spectrum.
    bool Do(Spectrum& out);

    /// Writes the window of the given type and length n into out[0 .. n-1] (out must hold at
    /// least n samples). Other values write nothing.
    static void CreateTable(Array<float>& out, int type, int n);
    /// Resamples the table to the "Size" control's length into out[0 .. n-1].
    void CreateWindowFromTable(Array<float>& out) const;
    /// Scales all samples of w by the configured normalization.
    void NormalizeWindow(Array<float>& w) const;
    /// out[i] = 1 / in[i] for non-zero entries of a symmetric window; zero entries leave out
    /// unchanged; out's last sample becomes 0. out takes in's size; in and out may be one array.
    static void InvertWindow(const Array<float>& in, Array<float>& out);
    static void InvertWindow(Array<float>& w) { InvertWindow(w, w); }

    /// sin(h x) / sin(x / 2) with h = n / 2; its limit 2h where sin(x / 2) is 0.
    static float Sinc(float x, int n);

    InControl& GetSizeControl() { return mSize; }
    AudioOutPort& GetOutput() { return mOutput; }

protected:
    bool ConcreteConfigure(const ProcessingConfig& config) override;

private:
    // The window length actually generated: the "Size" control truncated, never negative.
    int RequestedSize() const;

    WindowGeneratorConfig mConfig;
    AudioOutPort mOutput;
    InControl mSize;
    Array<float> mTable;
};

} // namespace DSP
