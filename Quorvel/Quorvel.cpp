#include "Quorvel/Quorvel.hpp"

#include "orvane/ParameterRange.hpp"

#include <cstdio>

namespace Quorvel {

namespace {

// The engine takes whole rates in Hz; a rate that does not fit (or is not a number) is refused
// before it is truncated.
bool toWholeRate(double sampleRate, unsigned int& rate) {
    if (!(sampleRate >= 0.0 && sampleRate < 4294967296.0))
        return false;
    rate = static_cast<unsigned int>(sampleRate);
    return true;
}

} // namespace

Quorvel::Quorvel(QuorvelHostCallbacks* callbacks) : orvane::Host(true), m_callbacks(callbacks) {
    // The map observes the document and the engine observes both: document, map, engine.
    auto document = std::make_unique<QuorvelDocument>();
    QuorvelDocument* documentPointer = document.get();
    m_document = std::move(document);
    m_automation = std::make_unique<QuorvelAutomation>(QuorvelDocument::kAutomationObserverId,
                                                       documentPointer, this);
    m_engine = std::make_unique<QuorvelAudio>(documentPointer);
    for (unsigned int n = 0; n < documentPointer->getPresetCount(); ++n)
        m_factoryPresets.push_back({n, documentPointer->getPreset(n)->getName()});
    m_currentFactoryPreset = documentPointer->getCurrentPresetNumber();
}

Quorvel::~Quorvel() {
    // The engine goes first and unregisters; the base then deletes the map and the document.
    m_document->removeInterface(m_engine.get());
    m_engine.reset();
}

QuorvelDocument& Quorvel::getQuorvelDocument() const {
    return static_cast<QuorvelDocument&>(*m_document);
}

QuorvelAutomation& Quorvel::getQuorvelAutomation() const {
    return static_cast<QuorvelAutomation&>(*m_automation);
}

// ---- format and lifecycle -----------------------------------------------------------------

Quorvel::Result Quorvel::ChangeStreamFormat(Scope scope, const StreamFormat& format) {
    if (m_traceFormatChanges)
        std::fprintf(stderr, "AudioStreamBasicDescription: %s, %g Hz, %u channels\n",
                     scope == Scope::Input ? "input" : "output", format.sampleRate,
                     format.channels);
    unsigned int rate = 0;
    if (!toWholeRate(format.sampleRate, rate))
        return Result::FormatNotSupported;
    const unsigned int previousRate = m_engine->getSamplingRate();
    if (!m_engine->setSamplingRate(rate))
        return Result::FormatNotSupported;
    (scope == Scope::Input ? m_inputFormat : m_outputFormat) = format;
    // A running engine is rebuilt for the new rate, so that its analysis and its reported
    // latency agree with the stream.
    if (m_engine->isInitialized() && rate != previousRate) {
        m_engine->suspend(true);
        m_engine->Initialize();
        m_engine->suspend(false);
    }
    return Result::NoError;
}

const Quorvel::StreamFormat& Quorvel::GetStreamFormat(Scope scope) const {
    return scope == Scope::Input ? m_inputFormat : m_outputFormat;
}

Quorvel::Result Quorvel::SetMaxFramesPerSlice(unsigned int frames) {
    m_maxFramesPerSlice = frames;
    m_engine->suspend(true);
    m_engine->setMaxBufferSize(frames);
    m_engine->suspend(false);
    return Result::NoError;
}

Quorvel::Result Quorvel::Initialize() {
    unsigned int rate = 0;
    if (!toWholeRate(m_outputFormat.sampleRate, rate))
        return Result::FormatNotSupported;
    // Everything that resizes the engine happens while it is suspended.
    m_engine->suspend(true);
    m_engine->setMaxBufferSize(m_maxFramesPerSlice);
    Result result = Result::NoError;
    if (!m_engine->setChannelConfiguration(m_inputFormat.channels, m_outputFormat.channels) ||
        !m_engine->setSamplingRate(rate))
        result = Result::FormatNotSupported;
    else
        m_engine->Initialize();
    m_engine->suspend(false);
    return result;
}

Quorvel::Result Quorvel::Reset() {
    m_engine->suspend(true);
    m_engine->reset();
    m_engine->suspend(false);
    return Result::NoError;
}

// ---- render thread ------------------------------------------------------------------------

Quorvel::Result Quorvel::ProcessBufferLists(unsigned int inputCount, const float* const* inputs,
                                            unsigned int outputCount, float* const* outputs,
                                            unsigned int frames) {
    // The engine copies its inputs before it writes any output, and only reads them.
    float* in[2] = {};
    float* out[2] = {};
    for (unsigned int i = 0; i < 2; ++i) {
        in[i] = inputs && i < inputCount ? const_cast<float*>(inputs[i]) : nullptr;
        out[i] = outputs && i < outputCount ? outputs[i] : nullptr;
    }
    m_engine->Process(in, out, frames);
    return Result::NoError;
}

// ---- host parameters ----------------------------------------------------------------------

unsigned int Quorvel::GetParameterCount() const {
    return m_automation->getNumberOfParameters();
}

Quorvel::Result Quorvel::GetParameter(unsigned int id, float& value) const {
    if (id >= GetParameterCount())
        return Result::InvalidParameter;
    value = m_automation->getParameter(id)->getValue().GetFloat();
    return Result::NoError;
}

Quorvel::Result Quorvel::SetParameter(unsigned int id, float value) {
    if (id >= GetParameterCount())
        return Result::InvalidParameter;
    m_automation->handleAutomationFromDaw(id, value);
    return Result::NoError;
}

Quorvel::Result Quorvel::GetParameterInfo(unsigned int id, ParameterInfo& info) const {
    if (id >= GetParameterCount())
        return Result::InvalidParameter;
    const orvane::AnyDetails& details = m_automation->getParameter(id)->getDetails();
    const orvane::AnyDetails::FloatDetails& range = *details.getFloatDetails();
    info = {details.getName(),
            range.getMinValue(),
            range.getMaxValue(),
            range.getDefault(),
            true,
            true};
    return Result::NoError;
}

Quorvel::Result Quorvel::SetDocumentParameter(unsigned int index, double value,
                                              orvane::Interface* source) {
    if (index >= m_document->GetNumberOfParameters())
        return Result::InvalidParameter;
    const orvane::AnyDetails& details = m_document->getParameter(index)->getDetails();
    if ((details.getFlags() & orvane::AnyDetails::Automatable) == 0)
        return Result::InvalidParameter;
    const orvane::AnyValue clamped = orvane::ClampToRange(details, value);
    if (clamped.getType() == orvane::AnyValue::Undefined)
        return Result::InvalidPropertyValue;
    m_document->updateParameter(index, clamped, source);
    return Result::NoError;
}

// ---- presets and state --------------------------------------------------------------------

Quorvel::Result Quorvel::NewFactoryPresetSet(unsigned int number) {
    if (number >= m_document->getPresetCount())
        return Result::InvalidProperty;
    m_document->activateProgram(number);
    m_currentFactoryPreset = number;
    return Result::NoError;
}

std::string Quorvel::SaveState() const {
    return getQuorvelDocument().getProgramText();
}

Quorvel::Result Quorvel::RestoreState(const char* text, std::size_t length, std::string* error) {
    if (text == nullptr || length == 0 || text[0] == '\0')
        return Result::InvalidPropertyValue;
    QuorvelDocument& document = getQuorvelDocument();
    if (!document.loadProgramText(text, length, error))
        return Result::InvalidFile;
    m_currentFactoryPreset = document.getCurrentPresetNumber();
    return Result::NoError;
}

double Quorvel::GetLatency() const {
    return m_engine->getLatency();
}

unsigned int Quorvel::GetLatencySamples() const {
    return m_engine->getLatencySamples();
}

// ---- orvane::Host -------------------------------------------------------------------------

void Quorvel::sendAutomationToDaw(unsigned int index, float value) {
    if (m_callbacks)
        m_callbacks->parameterChanged(index, value);
}

void Quorvel::programChanged(unsigned int) {
    for (unsigned int slot = 0; slot < QuorvelAutomation::kSlotCount; ++slot)
        sendAutomationToDaw(slot, m_automation->getParameter(slot)->getValue().GetFloat());
    // The two processing paths have different latencies.
    if (m_callbacks)
        m_callbacks->latencyChanged();
}

} // namespace Quorvel
