#pragma once

#include "DSP/Data/Audio.hpp"
#include "DSP/Data/Frame.hpp"
#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Data/Spectrum.hpp"
#include "DSP/Processing/Analysis/AnalysisSynthesisConfig.hpp"
#include "DSP/Processing/Analysis/SpectralAnalysis.hpp"
#include "DSP/Processing/Synthesis/OverlapAdd.hpp"
#include "DSP/Processing/Synthesis/SpectralSynthesis.hpp"
#include "DSP/Processing/Transformations/FrameTransformation.hpp"
#include "DSP/Processing/Transformations/FrameTransformationTmpl.hpp"
#include "Quorvel/Engine/HarmonicPath.hpp"
#include "Quorvel/Engine/Mix.hpp"
#include "Quorvel/ProgramParameters/ProgramTable.hpp"
#include "orvane/Audio.hpp"

#include <array>
#include <atomic>
#include <memory>
#include <vector>

class QuorvelDocument;
class QuorvelPreset;

// The plug-in's signal engine. It cuts the host's blocks, whatever their length, into hops of
// 256 samples, runs each hop through the current program's path and writes the processed
// hops, mixed with the dry signal by Dry/Wet and scaled by Gain, into output rings from which
// the output blocks are read sample by sample: any block length gives the same output stream.
//
// The short-time path analyses, per channel, the last 1024 input samples (a 1025-sample
// Blackman-Harris window, 513 bins), runs the current program's effect, resynthesizes and
// overlap-adds; its output is the input delayed by 768 samples. The harmonic path
// (Quorvel::HarmonicPath) analyses channel 0 into sinusoids, fundamental and residual, runs the
// current harmonic program's effect, resynthesizes, and writes the result to every channel; its
// output, dry and wet alike, is channel 0 delayed by 2048 samples. `getLatency` reports the
// current program's delay.
//
// Threads: `DoProcess` runs on the render thread under the base's lock; `Initialize`,
// `setMaxBufferSize` and `presetChanged` on the host's main thread inside the suspend bracket;
// `setParameter` on whichever thread changed the document, writing only single atomic values
// (gain, dry/wet, an effect's control or `mAmount`). After `Initialize` nothing on the render
// path allocates, frees, locks (but the base's lock) or does I/O.
class QuorvelAudio : public orvane::Audio {
public:
    static constexpr int kWindowSize = 1024; // samples analysed per hop
    static constexpr int kHopSize = 256;     // samples per hop
    static constexpr int kOutputRingSize = 65536;
    static constexpr int kBins = kWindowSize / 2 + 1;
    static constexpr int kChannels = 2;
    // The sample rates the engine runs at, in Hz.
    static constexpr std::array<unsigned int, 4> kSampleRates{22050, 44100, 48000, 96000};
    // The short-time path's output is its input delayed by this many samples.
    static constexpr int kShortTimeDelay = kWindowSize - kHopSize;
    // Below this gain the output is exactly zero.
    static constexpr float kSilentGain = Quorvel::kSilentGain;

    // Registers with `document` as observer 1 and builds one effect per program (two per
    // short-time program, one per channel). Allocates nothing for audio until `Initialize`.
    explicit QuorvelAudio(QuorvelDocument* document);
    ~QuorvelAudio() override;

    // Sizes every buffer and processing object for the current rate, configures and starts
    // them, activates exactly the current program's effect and gives it the document's values.
    bool Initialize() override;
    void DoProcess(float** inputs, float** outputs, unsigned int frames) override;
    void presetChanged() override;
    void setMaxBufferSize(unsigned int frames) override;
    // A host reset only suspends and resumes the engine; its buffers are kept.
    void reset() override {}
    // The delay of the output in seconds at the current rate: 768 samples for a short-time
    // program, 2048 for a harmonic one.
    double getLatency() const override;
    // The same in samples.
    unsigned int getLatencySamples() const;
    // How many samples of silence an offline render feeds before the input so that the
    // output's first samples are as fully processed as any later ones.
    unsigned int getPreRollSamples() const;
    void setParameter(unsigned int index, const orvane::Parameter& parameter) override;

    // True when the engine has a path for the program of this preset number.
    bool isProgramAvailable(unsigned int presetNumber) const;
    // True when that program runs on the harmonic path (channel 0 only).
    bool isHarmonic(unsigned int presetNumber) const;
    // Whether the effect at a short-time position runs in the chain.
    bool isSFFTTransformationActive(unsigned int position) const;
    bool isHLNTransformationActive(unsigned int position) const;
    // The short-time effect at `position` for `channel` (0 or 1).
    DSP::FrameTransformationTmpl<DSP::Spectrum>& getSFFTTransformation(unsigned int position,
                                                                       int channel) const;
    bool isInitialized() const { return mInitialized; }

    // The value of a document parameter as the effects take it: floats as they are, ints, bools
    // (1 or 0) and enums converted; any other type throws "Bad type!".
    static float DocumentToDspConverter(const orvane::AnyValue& value);
    // The program id of an effect class name, or -1.
    static int TransformationString2Id(const char* className);
    // The program id of the harmonic effect at `position`; -1 for any other family or an
    // empty position.
    int ProgramId(unsigned int position, KavCategoryIds family) const;

private:
    struct ShortTimeChain {
        DSP::Audio analysisInput;
        DSP::Spectrum analysed;
        DSP::Spectrum transformed;
        DSP::Audio synthesised;
        DSP::Audio overlapped;
        DSP::SpectralAnalysis analysis;
        DSP::SpectralSynthesis synthesis;
        DSP::OverlapAdd overlapAdd;
    };
    struct ChannelBuffers {
        std::vector<float> inputCopy;  // one host block (at most the maximum length)
        std::vector<float> inputRing;  // the last kWindowSize samples
        std::vector<float> hopOutput;  // the latest mixed hop
        std::vector<float> outputRing; // kOutputRingSize samples
        std::vector<float> dryHop;     // the dry samples aligned with a hop
    };
    // Where one document parameter goes in its program's effect, resolved once at construction
    // so that routing a value never searches a registry or allocates.
    struct ResolvedRoute {
        const ProgramParameterDescription* row = nullptr; // null: the parameter goes nowhere
        unsigned int presetNumber = 0;
        std::array<DSP::FrameTransformation*, kChannels> effects{}; // one for a harmonic program
        std::array<DSP::InControl*, kChannels> controls{};          // null when it goes to mAmount
    };
    struct ShortTimeEffect {
        std::array<std::unique_ptr<DSP::FrameTransformationTmpl<DSP::Spectrum>>, kChannels>
            instances;
    };
    struct HarmonicEffect {
        std::unique_ptr<DSP::FrameTransformation> instance;
    };
    struct HarmonicBuffers {
        Quorvel::HarmonicPath path;
        std::array<float, kHopSize> input{};     // the hop being filled
        std::array<float, kHopSize> hopOutput{}; // the latest mixed hop
    };
    static constexpr int kHarmonizerId = 11;

    // Effect lists, one entry per program of the family, in preset order.
    void InitializeTransformations();
    void AddTransformation(const ProgramDescription& program);
    void ConfigureTransformations();
    void configureHarmonicEffect(size_t position);
    void StartTransformations();
    void ActivateTransformation(unsigned int presetNumber, KavCategoryIds family);
    void DeactivateTransformation(unsigned int presetNumber, KavCategoryIds family);
    void DoSFFTTransformations(const DSP::Spectrum& in, DSP::Spectrum& out, int channel);
    void DoHLNTransformations(const DSP::Frame& in, DSP::Frame& out);
    void routeValue(unsigned int index, float value);
    static float toDspValue(DspValueScaling scaling, float value);
    void sendProgramValues(unsigned int presetNumber);
    float documentValue(unsigned int index) const;

    void resetValues();
    void allocateBuffers();
    void configureChains();
    void copyInputs(float** inputs, unsigned int frames);
    void processShortTime(float** outputs, unsigned int frames);
    void processHarmonic(float** outputs, unsigned int frames);
    void processSilence(float** outputs, unsigned int frames);
    void processShortTimeHop(int channels);
    // Moves `count` input samples from inputCopy[first] on into the rings.
    void writeInputRun(unsigned int first, unsigned int count);
    // Moves `count` samples out of the output rings into outputs[c][first] on, clearing the
    // slots; true if any sample written out reached full scale.
    bool readOutputRun(float** outputs, int channels, unsigned int first, unsigned int count);
    unsigned int channelCount() const;

    QuorvelDocument& mDocument;
    // This engine's sample rate, hop and latency, installed for the effects and chains at every
    // entry point: engines at different rates do not disturb each other.
    GlobalProcessInfo::Values mProcessInfo;
    DSP::AnalysisSynthesisConfig mAnalysisSynthesisConfig;
    std::atomic<float> mGain{1.0f};
    std::atomic<float> mDryWet{1.0f};
    std::atomic<unsigned int> mCurrentPreset{0};
    bool mInitialized = false;

    std::array<ChannelBuffers, kChannels> mBuffers;
    std::array<std::unique_ptr<ShortTimeChain>, kChannels> mChains;
    int mWritePosition = 0; // input rings
    int mFrameStart = 0;    // first sample of the next analysis frame in the input rings
    int mTrigger = 0;       // input ring position that completes the next hop
    int mOutputWrite = 0;   // output rings
    int mOutputRead = 0;
    std::unique_ptr<HarmonicBuffers> mHarmonic; // created by Initialize
    int mHLNWritePosition = 0;                  // in the hop being filled

    std::vector<ShortTimeEffect> mSFFTEffects;
    std::vector<HarmonicEffect> mHLNEffects;
    std::vector<char> mSFFTActive; // one flag per short-time position
    std::vector<char> mHLNActive;  // one flag per harmonic position
    std::array<ResolvedRoute, ProgramTable::kParameterCount> mRoutes{};
};
