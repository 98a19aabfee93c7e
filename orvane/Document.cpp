#include "orvane/Document.hpp"

#include "orvane/Assert.hpp"
#include "orvane/Interface.hpp"

#include <algorithm>

namespace orvane {

Document::~Document() {
    m_parameters.clear();
    m_presets.clear();
}

Parameter* Document::getParameter(unsigned int index) const {
    ORVANE_ASSERT(index < m_parameters.size());
    return m_parameters[index].get();
}

Parameter& Document::storedParameter(unsigned int index) const {
    ORVANE_ASSERT(index < m_parameters.size());
    ORVANE_ASSERT(m_parameters[index] != nullptr);
    return *m_parameters[index];
}

void Document::setParameter(unsigned int index, AnyValue value) {
    storedParameter(index).setValue(value);
}

void Document::updateParameter(unsigned int index, AnyValue value, Interface* source) {
    setParameter(index, value);
    notifyInterfaces(index, source);
}

void Document::notifyInterfaces(unsigned int index, const Interface* source) {
    Parameter& parameter = storedParameter(index);
    // Indexed loop: an observer may add or remove observers while being notified.
    for (std::size_t i = 0; i < m_interfaces.size(); ++i) {
        Interface* observer = m_interfaces[i];
        if (source == nullptr || observer->getId() != source->getId())
            observer->parameterChanged(index, parameter);
    }
}

void Document::broadcastToInterfaces(unsigned int index, AnyValue) {
    Parameter& parameter = storedParameter(index);
    for (std::size_t i = 0; i < m_interfaces.size(); ++i)
        m_interfaces[i]->parameterChanged(index, parameter);
}

void Document::activateProgram(unsigned int) {
    // Every observer is suspended before any of them switches: while the others are still
    // changing over, the engine already outputs silence and the bridge drops host values.
    for (std::size_t i = 0; i < m_interfaces.size(); ++i)
        m_interfaces[i]->suspend(true);
    for (std::size_t i = 0; i < m_interfaces.size(); ++i)
        m_interfaces[i]->presetChanged();
    for (std::size_t i = 0; i < m_interfaces.size(); ++i)
        m_interfaces[i]->suspend(false);
}

Preset* Document::getPreset(unsigned int number) const {
    ORVANE_ASSERT(number < m_presets.size());
    return m_presets[number].get();
}

void Document::addInterface(Interface* observer) {
    if (observer != nullptr)
        m_interfaces.push_back(observer);
}

void Document::removeInterface(Interface* observer) {
    m_interfaces.erase(std::remove(m_interfaces.begin(), m_interfaces.end(), observer),
                       m_interfaces.end());
}

} // namespace orvane
