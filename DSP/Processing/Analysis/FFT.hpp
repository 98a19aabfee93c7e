#pragma once

#include "DSP/Data/Audio.hpp"
#include "DSP/Data/Spectrum.hpp"
#include "DSP/Data/SpectrumTypeFlags.hpp"
#include "DSP/Misc/Ports/AudioInPort.hpp"
#include "DSP/Misc/Ports/OutPort.hpp"
#include "DSP/Processing/Base/Processing.hpp"
#include "DSP/Processing/Base/ProcessingConfig.hpp"

namespace DSP {

/// Configuration of the forward transforms.
class FFTConfig : public ProcessingConfig {
public:
    /// Transform size N in samples (default 0).
    int GetAudioSize() const { return mAudioSize; }
    void SetAudioSize(int samples) { mAudioSize = samples; }
    /// Marks a transform of the harmonic analysis (default false); no transform reads it.
    bool GetIsSinusoidal() const { return mIsSinusoidal; }
    void SetIsSinusoidal(bool sinusoidal) { mIsSinusoidal = sinusoidal; }

private:
    int mAudioSize = 0;
    bool mIsSinusoidal = false;
};

/// Base of the forward transforms: one real frame of N samples in, a spectrum of N/2 + 1 bins
/// out (bin 0 DC, bin N/2 Nyquist, bin k at k * sampleRate / N Hz).
///
/// Holds the size, the prototype state (which representations the output spectrum carries)
/// and the ports "Audio Input" and "Spectrum Output". Configure while stopped; Do on the audio
/// thread.
class FFT_base : public Processing {
public:
    /// Prototype states: which forms the output spectrum has.
    enum { eComplexOnly = 0, eComplexAndOthers = 1, eOthersOnly = 2, eUnset = -1 };

    FFT_base();
    ~FFT_base() override;

    const char* GetDSPClassName() const override { return "FFT"; }
    const ProcessingConfig& GetConfig() const override { return mConfig; }

    /// Transforms in (N samples) into out.
    virtual bool Do(Audio& in, Spectrum& out) = 0;
    using Processing::Do;

    virtual bool MayDisableExecution() const { return false; }
    virtual bool DisableExecution() { return false; }
    virtual bool EnableExecution() { return false; }
    /// Brings a spectrum's complex form up to date with the last transform.
    virtual void ToComplex(Spectrum& out) = 0;
    /// Brings out's other forms in line with the transform's complex result.
    virtual void ToOther(Spectrum& out);

    /// CheckTypes(in, out), then sets the prototype state from out's type flags. A spectrum
    /// without any flag throws "FFT_numrec: SetPrototypes(): Spectrum with no attributes!".
    void SetPrototypes(const Audio& in, const Spectrum& out);
    void UnsetPrototypes() { mState = eOthersOnly; }
    int GetPrototypeState() const { return mState; }

    /// in must hold exactly N samples and out N/2 + 1 bins; otherwise throws
    /// "FFT::Do: Wrong size in FFT Audio input\n  Expected: N, used M" or
    /// "FFT::Do: wrong size  Spectrum.\n  Expected: N/2+1, used M".
    void CheckTypes(const Audio& in, const Spectrum& out) const;

    /// The size cannot be changed through a control: always throws.
    void ChangeSize(int n);

    int GetSize() const { return mSize; }
    AudioInPort& GetInput() { return mInput; }
    OutPort<Spectrum>& GetOutput() { return mOutput; }

    /// The flags of the complex form: "Complex" set, "MagPhase" clear.
    static const SpecTypeFlags& GetComplexFlags() { return sComplexFlags; }

protected:
    /// Copies the configuration, sizes the input port and resets the prototype state.
    /// Returns false for a size of 0 that differs from the previous one.
    bool ConcreteConfigure(const ProcessingConfig& config) override;

    Spectrum mComplexSpectrum;
    FFTConfig mConfig;
    int mSize = 0;
    int mState = eUnset;
    AudioInPort mInput;
    OutPort<Spectrum> mOutput;
    float* mFFTBuffer = nullptr;

    // Constant: several engines read it while they render.
    static const SpecTypeFlags sComplexFlags;
};

} // namespace DSP
