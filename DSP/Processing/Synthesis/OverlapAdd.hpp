#pragma once

#include "DSP/Data/Audio.hpp"
#include "DSP/Misc/Ports/AudioInPort.hpp"
#include "DSP/Misc/Ports/AudioOutPort.hpp"
#include "DSP/Processing/Base/Processing.hpp"
#include "DSP/Processing/Base/ProcessingConfig.hpp"

namespace DSP {

class OverlapAddConfig : public ProcessingConfig {
public:
    const char* GetDSPClassName() const override { return "OverlapAddConfig"; }
    void SetHopSize(int samples) { mHopSize = samples; }
    int GetHopSize() const { return mHopSize; }

private:
    int mHopSize = 512;
};

/// Adds consecutive 2h-sample blocks, overlapping by h, into a stream of h samples per Do.
///
/// Per Do the output is the kept second half of the previous block plus the first half of this
/// one, so triangles at hop h sum back to the signal. The buffer is cleared only at
/// configuration. Do allocates nothing. Configure while stopped, Do on the audio thread.
class OverlapAdd : public Processing {
public:
    OverlapAdd();
    explicit OverlapAdd(const OverlapAddConfig& config);
    ~OverlapAdd() override;

    const char* GetDSPClassName() const override { return "OverlapAdd"; }
    const ProcessingConfig& GetConfig() const override { return mConfig; }

    /// `in` holds 2h samples (at most 2h + 1), `out` the h samples it receives.
    bool Do(const Audio& in, Audio& out);
    bool Do() override;

    AudioInPort& GetInput() { return mInput; }
    AudioOutPort& GetOutput() { return mOutput; }

protected:
    bool ConcreteConfigure(const ProcessingConfig& config) override;

private:
    OverlapAddConfig mConfig;
    AudioInPort mInput;
    AudioOutPort mOutput;
    Audio mBuffer;
};

} // namespace DSP
