#pragma once

#include "DSP/Data/Audio.hpp"
#include "DSP/Data/Spectrum.hpp"
#include "DSP/Misc/Ports/AudioOutPort.hpp"
#include "DSP/Misc/Ports/InPort.hpp"
#include "DSP/Processing/Base/Processing.hpp"
#include "DSP/Processing/Base/ProcessingConfig.hpp"

namespace DSP {

/// Configuration of the inverse transforms.
class IFFTConfig : public ProcessingConfig {
public:
    /// Transform size N in samples (default 0).
    int GetAudioSize() const { return mAudioSize; }
    void SetAudioSize(int samples) { mAudioSize = samples; }

private:
    int mAudioSize = 0;
};

/// Base of the inverse transforms: a spectrum of N/2 + 1 bins in, N real samples out. Holds
/// the size and the ports "Spectrum Input" and "Audio Output". Configure while stopped; Do on
/// the audio thread.
class IFFT_base : public Processing {
public:
    IFFT_base();
    ~IFFT_base() override;

    const char* GetDSPClassName() const override { return "IFFT"; }
    const ProcessingConfig& GetConfig() const override { return mConfig; }

    /// Transforms in (N/2 + 1 bins) into the first N samples of out.
    virtual bool Do(const Spectrum& in, Audio& out) const = 0;
    using Processing::Do;

    /// The size cannot be changed through a control: always throws.
    void ChangeSize(int n);

    int GetSize() const { return mSize; }
    InPort<Spectrum>& GetInput() { return mInput; }
    AudioOutPort& GetOutput() { return mOutput; }

protected:
    IFFTConfig mConfig;
    int mSize = 1024;
    InPort<Spectrum> mInput;
    AudioOutPort mOutput;
};

} // namespace DSP
