#include "Quorvel/QuorvelAudio.hpp"

#include "DSP/Data/GlobalProcessInfo.hpp"
#include "DSP/Misc/FastMath.hpp"
#include "DSP/Misc/FiniteOrZero.hpp"
#include "Quorvel/DenormalGuard.hpp"
#include "Quorvel/Engine/EffectFactory.hpp"
#include "Quorvel/Engine/Mix.hpp"
#include "Quorvel/QuorvelDocument.hpp"
#include "orvane/Exception.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr unsigned int kUnbound = QuorvelPreset::kUnbound;
constexpr int kInputMask = QuorvelAudio::kWindowSize - 1;
constexpr int kOutputMask = QuorvelAudio::kOutputRingSize - 1;

// Copies count samples into a ring of `size` (a power of two) from position `at` on, wrapping.
void CopyIntoRing(const float* from, int count, float* ring, int size, int at) {
    const int first = std::min(count, size - at);
    std::memcpy(ring + at, from, size_t(first) * sizeof(float));
    std::memcpy(ring, from + first, size_t(count - first) * sizeof(float));
}

// A block that is not given a maximum length is processed in pieces of this many samples.
constexpr unsigned int kDefaultMaxBlock = 4096;

} // namespace

QuorvelAudio::QuorvelAudio(QuorvelDocument* document)
    : orvane::Audio(QuorvelDocument::kEngineObserverId, document,
                    new orvane::Audio::SimpleCommandFactory),
      mDocument(*document) {
    const GlobalProcessInfo::Scope processInfo(mProcessInfo);
    m_configurations = {{1, 1}, {2, 2}};
    m_samplingRates.assign(kSampleRates.begin(), kSampleRates.end());
    InitializeTransformations();
}

QuorvelAudio::~QuorvelAudio() = default;

// ---- effect lists -------------------------------------------------------------------------

void QuorvelAudio::InitializeTransformations() {
    for (unsigned int n = 0; n < mDocument.getPresetCount(); ++n)
        AddTransformation(ProgramTable::program(n));
    if (!mSFFTActive.empty())
        mSFFTActive[0] = true;
}

void QuorvelAudio::AddTransformation(const ProgramDescription& program) {
    const bool shortTime = program.category == KavCategoryIds::SFFT;
    std::array<DSP::FrameTransformation*, kChannels> instances{};
    if (shortTime) {
        ShortTimeEffect effect;
        for (size_t c = 0; c < kChannels; ++c) {
            effect.instances[c].reset(static_cast<DSP::FrameTransformationTmpl<DSP::Spectrum>*>(
                Quorvel::CreateEffect(program.id).release()));
            instances[c] = effect.instances[c].get();
        }
        mSFFTEffects.push_back(std::move(effect));
        mSFFTActive.push_back(false);
    } else {
        // A harmonic program runs on channel 0 only: one instance.
        mHLNEffects.push_back({Quorvel::CreateEffect(program.id)});
        mHLNActive.push_back(false);
        instances[0] = mHLNEffects.back().instance.get();
    }
    for (const ProgramParameterDescription& row : program) {
        ResolvedRoute& route = mRoutes[row.parameter.index];
        route.row = &row;
        route.presetNumber = program.presetNumber;
        route.effects = instances;
        if (row.effectControl == kEffectAmount)
            continue;
        for (size_t c = 0; c < kChannels; ++c)
            if (instances[c])
                route.controls[c] = &instances[c]->GetInControls().Get(row.effectControl);
    }
}

int QuorvelAudio::TransformationString2Id(const char* className) {
    if (!className)
        return -1;
    for (const ProgramDescription* program : ProgramTable::kPrograms)
        if (std::strcmp(program->dspClassName, className) == 0)
            return int(program->id);
    return -1;
}

void QuorvelAudio::ConfigureTransformations() {
    DSP::FrameTransformationConfig config;
    config.SetInPlace(true);
    for (size_t q = 0; q < mHLNEffects.size(); ++q)
        configureHarmonicEffect(q);
    for (auto& effect : mSFFTEffects)
        for (auto& instance : effect.instances) {
            instance->Stop();
            instance->Configure(config);
        }
}

void QuorvelAudio::configureHarmonicEffect(size_t position) {
    DSP::FrameTransformationConfig config;
    config.SetInPlace(true);
    // The harmonizer's curve: four points at (-12, 1).
    if (ProgramId(unsigned(position), KavCategoryIds::HLN) == kHarmonizerId)
        for (int i = 0; i < 4; ++i)
            config.GetAmountCurve().GetPointArray().AddElem({-12.0f, 1.0f});
    mHLNEffects[position].instance->Stop();
    mHLNEffects[position].instance->Configure(config);
}

void QuorvelAudio::StartTransformations() {
    for (auto& effect : mHLNEffects)
        effect.instance->Start();
    for (auto& effect : mSFFTEffects)
        for (auto& instance : effect.instances)
            instance->Start();
}

void QuorvelAudio::ActivateTransformation(unsigned int presetNumber, KavCategoryIds family) {
    if (family == KavCategoryIds::SFFT && presetNumber < mSFFTActive.size()) {
        mSFFTActive[presetNumber] = true;
        for (auto& instance : mSFFTEffects[presetNumber].instances)
            instance->Reset();
    } else if (family == KavCategoryIds::HLN && presetNumber >= mSFFTEffects.size()) {
        const size_t position = presetNumber - mSFFTEffects.size();
        if (position < mHLNActive.size()) {
            mHLNActive[position] = true;
            // A harmonic program starts from silence: a new chain (the analysis streams and
            // the overlap-adds keep what they last heard) and its effect's delay lines and
            // tracks restarted, so nothing heard when it was last current comes back.
            // (This allocates: it runs on the host's thread, inside the suspend bracket.)
            if (mInitialized) {
                mHarmonic = std::make_unique<HarmonicBuffers>();
                mHarmonic->path.Configure();
                configureHarmonicEffect(position);
                mHLNEffects[position].instance->Start();
            }
            mHLNEffects[position].instance->Reset();
        }
    }
}

void QuorvelAudio::DeactivateTransformation(unsigned int presetNumber, KavCategoryIds family) {
    if (family == KavCategoryIds::SFFT && presetNumber < mSFFTActive.size())
        mSFFTActive[presetNumber] = false;
    else if (family == KavCategoryIds::HLN && presetNumber >= mSFFTEffects.size() &&
             presetNumber - mSFFTEffects.size() < mHLNActive.size())
        mHLNActive[presetNumber - mSFFTEffects.size()] = false;
}

void QuorvelAudio::DoSFFTTransformations(const DSP::Spectrum& in, DSP::Spectrum& out, int channel) {
    bool first = true;
    for (size_t p = 0; p < mSFFTEffects.size(); ++p) {
        if (!mSFFTActive[p])
            continue;
        auto& effect = *mSFFTEffects[p].instances[size_t(channel)];
        if (first)
            effect.Do(in, out);
        else
            effect.Do(out, out);
        first = false;
    }
}

bool QuorvelAudio::isSFFTTransformationActive(unsigned int position) const {
    return position < mSFFTActive.size() && mSFFTActive[position];
}

bool QuorvelAudio::isHLNTransformationActive(unsigned int position) const {
    return position < mHLNActive.size() && mHLNActive[position];
}

DSP::FrameTransformationTmpl<DSP::Spectrum>&
QuorvelAudio::getSFFTTransformation(unsigned int position, int channel) const {
    return *mSFFTEffects.at(position).instances.at(size_t(channel));
}

void QuorvelAudio::DoHLNTransformations(const DSP::Frame& in, DSP::Frame& out) {
    bool first = true;
    for (size_t q = 0; q < mHLNEffects.size(); ++q) {
        if (!mHLNActive[q])
            continue;
        if (first)
            mHLNEffects[q].instance->Do(in, out);
        else
            mHLNEffects[q].instance->Do(out, out);
        first = false;
    }
}

int QuorvelAudio::ProgramId(unsigned int position, KavCategoryIds family) const {
    if (family != KavCategoryIds::HLN || position >= mHLNEffects.size())
        return -1;
    return TransformationString2Id(mHLNEffects[position].instance->GetDSPClassName());
}

bool QuorvelAudio::isProgramAvailable(unsigned int presetNumber) const {
    return presetNumber < mDocument.getPresetCount();
}

bool QuorvelAudio::isHarmonic(unsigned int presetNumber) const {
    return mDocument.getQuorvelPreset(presetNumber).getCategory() == KavCategoryIds::HLN;
}

// ---- parameters ---------------------------------------------------------------------------

float QuorvelAudio::DocumentToDspConverter(const orvane::AnyValue& value) {
    switch (value.getType()) {
    case orvane::AnyValue::Float:
        return value.GetFloat();
    case orvane::AnyValue::Int:
        return float(value.GetInt());
    case orvane::AnyValue::Bool:
        return value.GetBool() ? 1.0f : 0.0f;
    case orvane::AnyValue::Enum:
        return float(value.GetEnum());
    default:
        throw orvane::Exception("Bad type!");
    }
}

void QuorvelAudio::setParameter(unsigned int index, const orvane::Parameter& parameter) {
    const GlobalProcessInfo::Scope processInfo(mProcessInfo);
    const float value = DocumentToDspConverter(parameter.getValue());
    if (!std::isfinite(value))
        return; // refused at the boundary; never let one reach the signal path
    if (index == ParameterIndex::Gain) {
        mGain.store(value, std::memory_order_relaxed);
        return;
    }
    if (index == ParameterIndex::DryWet) {
        mDryWet.store(value, std::memory_order_relaxed);
        return;
    }
    // Only the current program's parameters are delivered; the others wait in the document
    // until their program becomes current (sendProgramValues).
    const unsigned int preset = mCurrentPreset.load(std::memory_order_relaxed);
    if (mDocument.getQuorvelPreset(preset).getDspParameter(long(index)) != kUnbound)
        routeValue(index, value);
}

float QuorvelAudio::toDspValue(DspValueScaling scaling, float value) {
    switch (scaling) {
    case DspValueScaling::SemitonesToRatio:
        return frequency(value);
    case DspValueScaling::DividedBy50:
        return value / 50.0f;
    case DspValueScaling::DividedBy100:
        return value / 100.0f;
    case DspValueScaling::AsIs:
        break;
    }
    return value;
}

void QuorvelAudio::routeValue(unsigned int index, float value) {
    if (index >= mRoutes.size() || !mRoutes[index].row)
        return; // not an effect parameter
    const ResolvedRoute& route = mRoutes[index];
    const float converted = toDspValue(route.row->scaling, value);
    for (size_t c = 0; c < kChannels; ++c) {
        if (!route.effects[c])
            continue;
        if (DSP::InControl* control = route.controls[c])
            control->DoControl(converted);
        else
            route.effects[c]->mAmount.store(converted, std::memory_order_relaxed);
    }
}

float QuorvelAudio::documentValue(unsigned int index) const {
    return DocumentToDspConverter(mDocument.getParameter(index)->getValue());
}

// The effect of a program receives the document's values of that program whenever it becomes
// current or is restarted, so what the document (and the editor, and a restored session)
// says is what is heard, even for values stored while another program was current.
void QuorvelAudio::sendProgramValues(unsigned int presetNumber) {
    for (const ProgramParameterDescription& row : ProgramTable::program(presetNumber)) {
        const unsigned int index = row.parameter.index;
        const float value = documentValue(index);
        if (std::isfinite(value))
            routeValue(index, value);
    }
}

// ---- lifecycle ----------------------------------------------------------------------------

void QuorvelAudio::setMaxBufferSize(unsigned int frames) {
    const unsigned int previous = getMaxBufferSize();
    orvane::Audio::setMaxBufferSize(frames);
    if (frames != previous && mInitialized)
        for (auto& buffers : mBuffers)
            buffers.inputCopy.assign(std::max(frames, 1u), 0.0f);
}

double QuorvelAudio::getLatency() const {
    const unsigned int rate = getSamplingRate();
    return rate == 0 ? 0.0 : double(getLatencySamples()) / double(rate);
}

unsigned int QuorvelAudio::getPreRollSamples() const {
    return isHarmonic(mCurrentPreset.load(std::memory_order_relaxed))
               ? unsigned(Quorvel::HarmonicPath::kLatencySamples)
               : unsigned(2 * kHopSize);
}

unsigned int QuorvelAudio::getLatencySamples() const {
    return isHarmonic(mCurrentPreset.load(std::memory_order_relaxed))
               ? unsigned(Quorvel::HarmonicPath::kLatencySamples)
               : unsigned(kShortTimeDelay);
}

unsigned int QuorvelAudio::channelCount() const {
    const unsigned int index = getCurrentConfiguration();
    return index < m_configurations.size() ? std::min(m_configurations[index].outputs, 2u) : 1u;
}

void QuorvelAudio::resetValues() {
    mWritePosition = 0;
    mFrameStart = 0;
    mTrigger = kWindowSize - 1;
    mOutputWrite = kWindowSize;
    mOutputRead = 0;
    mHLNWritePosition = 0;
    if (mHarmonic)
        mHarmonic->path.Reset();
    mGain.store(documentValue(ParameterIndex::Gain), std::memory_order_relaxed);
    mDryWet.store(documentValue(ParameterIndex::DryWet), std::memory_order_relaxed);
}

void QuorvelAudio::allocateBuffers() {
    const unsigned int maxBlock = getMaxBufferSize() > 0 ? getMaxBufferSize() : kDefaultMaxBlock;
    for (auto& buffers : mBuffers) {
        buffers.inputCopy.assign(maxBlock, 0.0f);
        buffers.inputRing.assign(kWindowSize, 0.0f);
        buffers.hopOutput.assign(kWindowSize, 0.0f);
        buffers.outputRing.assign(kOutputRingSize, 0.0f);
        buffers.dryHop.assign(kHopSize, 0.0f);
    }
    mHarmonic = std::make_unique<HarmonicBuffers>();
}

void QuorvelAudio::configureChains() {
    DSP::SpectrumConfig spectrumConfig;
    spectrumConfig.SetSize(kBins);
    for (auto& chain : mChains) {
        chain = std::make_unique<ShortTimeChain>();
        chain->analysisInput.SetSize(kWindowSize);
        chain->analysed.Configure(spectrumConfig);
        chain->transformed.Configure(spectrumConfig);
        chain->synthesised.SetSize(2 * kHopSize);
        chain->overlapped.SetSize(kHopSize);
    }

    DSP::SpectralAnalysisConfig analysisConfig;
    analysisConfig.SetWindowSize(mAnalysisSynthesisConfig.GetWindowSize() + 1);
    analysisConfig.SetHopSize(mAnalysisSynthesisConfig.GetHopSize());
    analysisConfig.SetZeroPadding(mAnalysisSynthesisConfig.GetZeroPadding());
    DSP::SpectralSynthesisConfig synthesisConfig;
    synthesisConfig.SetAnalWindowSize(mAnalysisSynthesisConfig.GetWindowSize() + 1);
    synthesisConfig.SetHopSize(mAnalysisSynthesisConfig.GetHopSize());
    synthesisConfig.SetZeroPadding(mAnalysisSynthesisConfig.GetZeroPadding());
    synthesisConfig.SetUseMainSpectrum(true);
    DSP::OverlapAddConfig overlapAddConfig;
    overlapAddConfig.SetHopSize(mAnalysisSynthesisConfig.GetHopSize());

    for (auto& chain : mChains) {
        chain->analysis.Stop();
        chain->analysis.Configure(analysisConfig);
        chain->synthesis.Stop();
        chain->synthesis.Configure(synthesisConfig);
        chain->overlapAdd.Stop();
        chain->overlapAdd.Configure(overlapAddConfig);
    }
    mHarmonic->path.Configure();
    ConfigureTransformations();
}

bool QuorvelAudio::Initialize() {
    const GlobalProcessInfo::Scope processInfo(mProcessInfo);
    const unsigned int preset = mDocument.getCurrentPresetNumber();
    mCurrentPreset.store(preset, std::memory_order_relaxed);
    GlobalProcessInfo::SetSampleRate(float(getSamplingRate()));
    GlobalProcessInfo::SetFrameSize(float(kHopSize));
    resetValues();
    allocateBuffers();
    configureChains();

    for (auto& chain : mChains) {
        chain->analysis.Start();
        chain->synthesis.Start();
        chain->overlapAdd.Start();
    }
    StartTransformations();
    mInitialized = true;

    // Exactly the current program's effect runs, with the document's values (starting the
    // effects has just reset their controls to their own initial values).
    std::fill(mSFFTActive.begin(), mSFFTActive.end(), false);
    std::fill(mHLNActive.begin(), mHLNActive.end(), false);
    ActivateTransformation(preset, mDocument.getQuorvelPreset(preset).getCategory());
    sendProgramValues(preset);
    return true;
}

void QuorvelAudio::presetChanged() {
    const GlobalProcessInfo::Scope processInfo(mProcessInfo);
    if (mInitialized)
        for (auto& buffers : mBuffers) {
            std::fill(buffers.inputCopy.begin(), buffers.inputCopy.end(), 0.0f);
            std::fill(buffers.outputRing.begin(), buffers.outputRing.end(), 0.0f);
        }
    // Every other effect is switched off, whether or not the engine was initialized, so that
    // exactly the new program's effect runs.
    std::fill(mSFFTActive.begin(), mSFFTActive.end(), false);
    std::fill(mHLNActive.begin(), mHLNActive.end(), false);
    const unsigned int preset = mDocument.getCurrentPresetNumber();
    mCurrentPreset.store(preset, std::memory_order_relaxed);
    ActivateTransformation(preset, mDocument.getQuorvelPreset(preset).getCategory());
    resetValues();
    sendProgramValues(preset);
}

// ---- render path --------------------------------------------------------------------------

void QuorvelAudio::DoProcess(float** inputs, float** outputs, unsigned int frames) {
    const GlobalProcessInfo::Scope processInfo(mProcessInfo);
    Quorvel::DenormalGuard denormalGuard;
    if (!mInitialized) {
        processSilence(outputs, frames);
        return;
    }
    const bool harmonic = isHarmonic(mCurrentPreset.load(std::memory_order_relaxed));
    // A block longer than the input copy is processed in pieces: the stream is the same.
    const unsigned int piece = unsigned(mBuffers[0].inputCopy.size());
    const int channels = int(channelCount());
    float* in[kChannels] = {};
    float* out[kChannels] = {};
    for (unsigned int done = 0; done < frames; done += piece) {
        const unsigned int n = std::min(piece, frames - done);
        // A mono host passes one pointer per direction: nothing beyond them is read.
        for (int c = 0; c < channels; ++c) {
            in[c] = inputs[c] ? inputs[c] + done : nullptr;
            out[c] = outputs[c] ? outputs[c] + done : nullptr;
        }
        copyInputs(in, n);
        if (harmonic)
            processHarmonic(out, n);
        else
            processShortTime(out, n);
    }
}

void QuorvelAudio::processSilence(float** outputs, unsigned int frames) {
    for (unsigned int c = 0; c < channelCount(); ++c)
        if (outputs[c])
            std::fill(outputs[c], outputs[c] + frames, 0.0f);
}

void QuorvelAudio::copyInputs(float** inputs, unsigned int frames) {
    const int channels = int(channelCount());
    // Copied first: a host may pass the same buffer as input and output. Samples that are not
    // finite become 0 before they reach the rings, the analysis or the dry path.
    for (int c = 0; c < kChannels; ++c) {
        float* copy = mBuffers[size_t(c)].inputCopy.data();
        if (c < channels && inputs[c])
            std::transform(inputs[c], inputs[c] + frames, copy, DSP::FiniteOrZero);
        else
            std::fill(copy, copy + frames, 0.0f);
    }
}

// The harmonic path reads channel 0 and writes its output to every channel; it never sets the
// clip indicator.
void QuorvelAudio::processHarmonic(float** outputs, unsigned int frames) {
    const int channels = int(channelCount());
    HarmonicBuffers& harmonic = *mHarmonic;
    std::vector<float>& ring = mBuffers[0].outputRing;
    for (unsigned int i = 0; i < frames; ++i) {
        harmonic.input[size_t(mHLNWritePosition)] = mBuffers[0].inputCopy[i];
        if (mHLNWritePosition == kHopSize - 1) {
            harmonic.path.ProcessHop(
                harmonic.input.data(), mGain.load(std::memory_order_relaxed),
                mDryWet.load(std::memory_order_relaxed), harmonic.hopOutput.data(),
                [this](const DSP::Frame& in, DSP::Frame& out) { DoHLNTransformations(in, out); });
            CopyIntoRing(harmonic.hopOutput.data(), kHopSize, ring.data(), kOutputRingSize,
                         mOutputWrite);
            mOutputWrite = (mOutputWrite + kHopSize) & kOutputMask;
        }
        mHLNWritePosition = (mHLNWritePosition + 1) & (kHopSize - 1);
        const float y = ring[size_t(mOutputRead)];
        ring[size_t(mOutputRead)] = 0.0f;
        for (int c = 0; c < channels; ++c)
            if (outputs[c])
                outputs[c][i] = y;
        mOutputRead = (mOutputRead + 1) & kOutputMask;
    }
}

void QuorvelAudio::processShortTime(float** outputs, unsigned int frames) {
    const int channels = int(channelCount());
    bool clipped = false;
    unsigned int i = 0;
    while (i < frames) {
        // The samples before the one that completes the next frame move as one run.
        const auto beforeHop = unsigned((mTrigger - mWritePosition) & kInputMask);
        const unsigned int run = beforeHop > 0 ? std::min(frames - i, beforeHop) : 1;
        writeInputRun(i, run);
        if (beforeHop == 0) {
            processShortTimeHop(channels);
            for (auto& buffers : mBuffers)
                CopyIntoRing(buffers.hopOutput.data(), kHopSize, buffers.outputRing.data(),
                             kOutputRingSize, mOutputWrite);
            mOutputWrite = (mOutputWrite + kHopSize) & kOutputMask;
            mFrameStart = (mFrameStart + kHopSize) & kInputMask;
            mTrigger = (mFrameStart + kWindowSize - 1) & kInputMask;
        }
        clipped = readOutputRun(outputs, channels, i, run) || clipped;
        i += run;
    }
    if (clipped)
        mDocument.updateParameter(ParameterIndex::LevelClip, orvane::AnyValue(true), this);
}

void QuorvelAudio::writeInputRun(unsigned int first, unsigned int count) {
    for (auto& buffers : mBuffers)
        CopyIntoRing(buffers.inputCopy.data() + first, int(count), buffers.inputRing.data(),
                     kWindowSize, mWritePosition);
    mWritePosition = (mWritePosition + int(count)) & kInputMask;
}

bool QuorvelAudio::readOutputRun(float** outputs, int channels, unsigned int first,
                                 unsigned int count) {
    bool clipped = false;
    for (int c = 0; c < kChannels; ++c) {
        float* ring = mBuffers[size_t(c)].outputRing.data();
        float* out = c < channels && outputs[c] ? outputs[c] + first : nullptr;
        // Each slot is read once and cleared for the hops still to come.
        int at = mOutputRead;
        for (unsigned int left = count; left > 0;) {
            const auto length = std::min(left, unsigned(kOutputRingSize - at));
            float* slots = ring + at;
            if (out) {
                int reached = 0;
                for (unsigned int k = 0; k < length; ++k) {
                    const float y = slots[k];
                    out[k] = y;
                    reached |= y >= 1.0f;
                    slots[k] = 0.0f;
                }
                clipped = clipped || reached != 0;
                out += length;
            } else {
                std::fill_n(slots, length, 0.0f);
            }
            at = (at + int(length)) & kOutputMask;
            left -= length;
        }
    }
    mOutputRead = (mOutputRead + int(count)) & kOutputMask;
    return clipped;
}

void QuorvelAudio::processShortTimeHop(int channels) {
    const float gain = mGain.load(std::memory_order_relaxed);
    const float dryWet = mDryWet.load(std::memory_order_relaxed);
    for (int c = 0; c < channels; ++c) {
        ChannelBuffers& buffers = mBuffers[size_t(c)];
        ShortTimeChain& chain = *mChains[size_t(c)];
        // The analysis frame is the ring oldest first; the dry samples aligned with this hop's
        // output are frame samples H .. 2H - 1.
        float* frame = chain.analysisInput.GetBuffer().GetPtr();
        const float* ring = buffers.inputRing.data();
        std::memcpy(frame, ring + mFrameStart, size_t(kWindowSize - mFrameStart) * sizeof(float));
        std::memcpy(frame + kWindowSize - mFrameStart, ring, size_t(mFrameStart) * sizeof(float));
        std::memcpy(buffers.dryHop.data(), frame + kHopSize, kHopSize * sizeof(float));

        chain.analysis.Do(chain.analysisInput, chain.analysed);
        DoSFFTTransformations(chain.analysed, chain.transformed, c);
        chain.synthesis.Do(chain.transformed, chain.synthesised);
        chain.overlapAdd.Do(chain.synthesised, chain.overlapped);

        Quorvel::MixHop(buffers.dryHop.data(), chain.overlapped.GetBuffer().GetPtr(), dryWet, gain,
                        buffers.hopOutput.data(), kHopSize);
    }
}
