#include "Quorvel/QuorvelDocument.hpp"

#include "Quorvel/QuorvelProgramText.hpp"
#include "orvane/Assert.hpp"
#include "orvane/Interface.hpp"

#include <cstring>
#include <memory>
#include <vector>

namespace {

orvane::AnyDetails* makeDetails(const ParameterDescription& d) {
    switch (d.type) {
    case orvane::AnyValue::Float:
        return new orvane::AnyDetails(d.name, d.description, d.defaultValue, d.minValue, d.maxValue,
                                      d.flags);
    case orvane::AnyValue::Int:
        return new orvane::AnyDetails(d.name, d.description, static_cast<int>(d.defaultValue),
                                      static_cast<int>(d.minValue), static_cast<int>(d.maxValue),
                                      d.flags);
    case orvane::AnyValue::Bool:
        return new orvane::AnyDetails(d.name, d.description, d.defaultValue != 0.0f, d.flags);
    default:
        // The table holds no other type (checked while compiling); an undefined description
        // makes the parameter constructor throw.
        return new orvane::AnyDetails();
    }
}

} // namespace

QuorvelDocument::QuorvelDocument() {
    m_parameters.resize(ProgramTable::kParameterCount);
    for (const ParameterDescription& description : ParametersGlobal)
        createParameter(description);
    for (const ProgramDescription* program : ProgramTable::kPrograms)
        createProgram(*program);
}

QuorvelDocument::~QuorvelDocument() = default;

void QuorvelDocument::createParameter(const ParameterDescription& description) {
    orvane::AnyDetails* details = makeDetails(description);
    details->setIndex(static_cast<int>(description.index));
    m_parameters[description.index] = std::make_unique<orvane::Parameter>(details);
}

// The program's parameters first, then its preset, whose slots are bound in the same order.
void QuorvelDocument::createProgram(const ProgramDescription& program) {
    for (const ProgramParameterDescription& row : program)
        createParameter(row.parameter);
    auto preset = std::make_unique<QuorvelPreset>(program.id, program.category, program.name,
                                                  program.helpText);
    for (const ProgramParameterDescription& row : program) {
        const unsigned int index = row.parameter.index;
        preset->bindSlot(row.slot, index, storedParameter(index).getDetails().getDefault(),
                         row.effectParameter, row.kind, row.curve);
    }
    m_presets.push_back(std::move(preset));
}

bool QuorvelDocument::isFireOn() const {
    return storedParameter(ParameterIndex::Fire).getValue().GetBool();
}

void QuorvelDocument::updateParameter(unsigned int index, orvane::AnyValue value,
                                      orvane::Interface* source) {
    bool resetRequested = false;
    if (index == ParameterIndex::CurrentPreset &&
        (value.getType() != orvane::AnyValue::Int || value.GetInt() < 0 ||
         unsigned(value.GetInt()) >= getPresetCount()))
        return; // no such program: the current one stays, and nobody is told
    if (index == ParameterIndex::Fire && isFireOn() && !value.GetBool()) {
        // Fire latches: the source's control is put back on, and on it stays.
        if (source != nullptr)
            source->parameterChanged(index, storedParameter(index));
        value = orvane::AnyValue(true);
    } else if (index == ParameterIndex::Reset) {
        if (!isFireOn())
            return;
        resetRequested = true;
    }
    orvane::Document::updateParameter(index, value, source);
    if (resetRequested)
        releaseFreeze();
}

// The engine has seen Reset go true and keeps it; the document and every other observer see
// both buttons off again.
void QuorvelDocument::releaseFreeze() {
    setParameter(ParameterIndex::Reset, orvane::AnyValue(false));
    setParameter(ParameterIndex::Fire, orvane::AnyValue(false));
    // Indexed, as the base notifies: an observer may unregister from inside its notification,
    // and a Reset arriving on the render thread must not allocate a copy of the list.
    for (std::size_t i = 0; i < m_interfaces.size(); ++i) {
        orvane::Interface* observer = m_interfaces[i];
        if (observer->getId() == kEngineObserverId)
            continue;
        observer->parameterChanged(ParameterIndex::Fire, storedParameter(ParameterIndex::Fire));
        observer->parameterChanged(ParameterIndex::Reset, storedParameter(ParameterIndex::Reset));
    }
}

void QuorvelDocument::activateProgram(unsigned int program) {
    ORVANE_ASSERT(program < getPresetCount());
    setParameter(ParameterIndex::CurrentPreset, orvane::AnyValue(static_cast<int>(program)));
    orvane::Document::activateProgram(program);
}

std::string QuorvelDocument::getProgramText() const {
    return QuorvelProgramText::write(*this);
}

int QuorvelDocument::storeProgram(char** text) {
    const std::string program = getProgramText();
    const std::size_t length = program.size() + 1;
    *text = new char[length];
    std::memcpy(*text, program.c_str(), length);
    return static_cast<int>(length);
}

bool QuorvelDocument::loadProgram(char* text, int length) {
    if (length < 0)
        return false;
    return loadProgramText(text, static_cast<std::size_t>(length));
}

bool QuorvelDocument::loadProgramText(const char* text, std::size_t length, std::string* error) {
    std::vector<QuorvelProgramText::Assignment> assignments;
    std::string reason;
    if (!QuorvelProgramText::read(text, length, *this, assignments, reason)) {
        if (error != nullptr)
            *error = reason;
        return false;
    }
    // Program parameters arrive silently: the editor and the host map read them afresh when
    // the program is activated, and the engine takes only changes made while a program is
    // current. Gain and Dry/Wet, which every program uses, are told to everyone.
    for (const QuorvelProgramText::Assignment& assignment : assignments)
        setParameter(assignment.index, assignment.value);
    activateProgram(getCurrentPresetNumber());
    broadcastToInterfaces(ParameterIndex::Gain);
    broadcastToInterfaces(ParameterIndex::DryWet);
    return true;
}

QuorvelPreset& QuorvelDocument::getQuorvelPreset(unsigned int presetNumber) const {
    ORVANE_ASSERT(presetNumber < getPresetCount());
    return static_cast<QuorvelPreset&>(*m_presets[presetNumber]);
}

unsigned int QuorvelDocument::getCurrentPresetNumber() const {
    return static_cast<unsigned int>(
        storedParameter(ParameterIndex::CurrentPreset).getValue().GetInt());
}

QuorvelPreset& QuorvelDocument::getCurrentPreset() const {
    return getQuorvelPreset(getCurrentPresetNumber());
}
