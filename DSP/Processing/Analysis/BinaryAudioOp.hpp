#pragma once

#include "DSP/Data/Audio.hpp"
#include "DSP/Misc/Err.hpp"
#include "DSP/Misc/Ports/AudioInPort.hpp"
#include "DSP/Misc/Ports/AudioOutPort.hpp"
#include "DSP/Processing/Base/Processing.hpp"
#include "DSP/Processing/Base/ProcessingConfig.hpp"

namespace DSP {

/// Configuration of BinaryAudioOp: no fields.
class BinaryAudioOpConfig : public ProcessingConfig {};

/// Sample-by-sample product; as a BinaryAudioOp it is the "AudioMultiplier".
template <class T> struct Multiply {
    static const char* AudioOpName() { return "AudioMultiplier"; }
    T operator()(const T& a, const T& b) const { return a * b; }
};

/// Combines two audio blocks sample by sample: out[i] = op(in2[i], in1[i]) for i below the size
/// of in1. Samples of out beyond that are left as they are; out may be either input.
///
/// Do allocates nothing. Configure while stopped; Do on the audio thread.
template <class BinOp> class BinaryAudioOp : public Processing {
public:
    BinaryAudioOp()
        : mFirstInput("First Audio Input", this), mSecondInput("Second Audio Input", this),
          mOutput("Audio Output", this) {}
    ~BinaryAudioOp() override = default;

    const char* GetDSPClassName() const override { return BinOp::AudioOpName(); }
    const ProcessingConfig& GetConfig() const override { return mConfig; }

    /// Checks the sizes (first input against the second, then against the output) and
    /// combines; a refused call changes nothing.
    bool Do(const Audio& in1, const Audio& in2, Audio& out) {
        const int size = in1.GetSize();
        DSP_CHECK(size <= in2.GetSize(),
                  "BinaryAudioOperation::Do(): Incompatible Input Audio Data Sizes");
        DSP_CHECK(size <= out.GetSize(),
                  "BinaryAudioOperation::Do(): Incompatible Output Audio Data Size");
        const float* first = in1.GetBuffer().GetPtr();
        const float* second = in2.GetBuffer().GetPtr();
        float* target = out.GetBuffer().GetPtr();
        for (int i = 0; i < size; ++i)
            target[i] = mOperation(second[i], first[i]);
        return true;
    }

    /// Combines the two input ports' audio into the output port's; consumes one unit on each
    /// input and produces on the output.
    bool Do() override {
        Do(mFirstInput.GetAudio(), mSecondInput.GetAudio(), mOutput.GetAudio());
        mFirstInput.Consume();
        mSecondInput.Consume();
        mOutput.Produce();
        return true;
    }

    AudioInPort& GetFirstInput() { return mFirstInput; }
    AudioInPort& GetSecondInput() { return mSecondInput; }
    AudioOutPort& GetOutput() { return mOutput; }

protected:
    bool ConcreteConfigure(const ProcessingConfig& config) override {
        const auto* concrete = dynamic_cast<const BinaryAudioOpConfig*>(&config);
        DSP_CHECK(concrete != nullptr, "Config should be a BynariaAudioOpConfig");
        mConfig = *concrete;
        return true;
    }

private:
    BinaryAudioOpConfig mConfig;
    AudioInPort mFirstInput;
    AudioInPort mSecondInput;
    AudioOutPort mOutput;
    BinOp mOperation;
};

using AudioMultiplier = BinaryAudioOp<Multiply<float>>;

} // namespace DSP
