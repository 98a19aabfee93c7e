#pragma once

#include "DSP/Data/Audio.hpp"
#include "DSP/Data/Spectrum.hpp"
#include "DSP/Misc/Array.hpp"
#include "DSP/Misc/Ports/AudioInPort.hpp"
#include "DSP/Misc/Ports/AudioOutPort.hpp"
#include "DSP/Processing/Analysis/CircularShiftConfig.hpp"
#include "DSP/Processing/Base/Processing.hpp"

namespace DSP {

/// Rotates a buffer by a whole number of samples k: out[(i + k) mod N] = in[i]. The analysis
/// uses it for zero-phase windowing (k = -(window length - 1) / 2) and the synthesis to undo it.
///
/// One Do rotates all N samples of its input into an output of the same size; input and output
/// may be the same array. A shift larger than N in magnitude rotates by k mod N. Do allocates
/// nothing. Configure while stopped; Do on the audio thread.
class CircularShift : public Processing {
public:
    CircularShift();
    explicit CircularShift(const CircularShiftConfig& config);
    ~CircularShift() override;

    const char* GetDSPClassName() const override { return "CircularShift"; }
    const ProcessingConfig& GetConfig() const override { return mConfig; }

    /// Rotates the input port's audio into the output port's audio; consumes and produces.
    bool Do() override;
    /// Rotates in into out. Different sizes throw "CircularShift::Do(): input and output
    /// vectors do not  match" and change nothing.
    bool Do(const Array<float>& in, Array<float>& out);
    /// The same on sample buffers.
    bool Do(const Audio& in, Audio& out);
    /// The same on magnitude buffers.
    bool Do(Spectrum& in, Spectrum& out);

    /// The configured shift, truncated toward zero.
    int GetShift() const { return mShift; }

    AudioInPort& GetInput() { return mInput; }
    AudioOutPort& GetOutput() { return mOutput; }

protected:
    bool ConcreteConfigure(const ProcessingConfig& config) override;

private:
    CircularShiftConfig mConfig;
    AudioInPort mInput;
    AudioOutPort mOutput;
    int mShift = 0;
};

} // namespace DSP
