#include "Quorvel/QuorvelAutomation.hpp"

#include "Quorvel/QuorvelDocument.hpp"
#include "Quorvel/ValueConverters.hpp"
#include "orvane/Assert.hpp"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

constexpr unsigned int kControlSlots = 6; // slots 0..5 are "Control", 6..11 "Slider"
constexpr KavParamValueCurve kHostCurve = KavParamValueCurve::Linear;

std::string slotName(unsigned int slot) {
    return slot < kControlSlots ? "Control " + std::to_string(slot + 1)
                                : "Slider " + std::to_string(slot - kControlSlots + 1);
}

} // namespace

QuorvelAutomation::QuorvelAutomation(unsigned int id, QuorvelDocument* document, orvane::Host* host)
    : orvane::Automation(id, document, host), m_quorvelDocument(*document) {
    m_currentPresetIndex = m_quorvelDocument.getCurrentPresetNumber();
    m_currentPreset = &m_quorvelDocument.getQuorvelPreset(m_currentPresetIndex);
    for (unsigned int s = 0; s < kSlotCount; ++s) {
        const float position = boundPosition(s);
        const std::string name = slotName(s);
        m_slots[s] = std::make_unique<orvane::Parameter>(new orvane::AnyDetails(
            name, name, position, 0.0f, 1.0f, orvane::AnyDetails::Automatable));
    }
}

QuorvelAutomation::~QuorvelAutomation() {
    m_document->removeInterface(this);
}

void QuorvelAutomation::bindSlots() {
    m_currentPresetIndex = m_quorvelDocument.getCurrentPresetNumber();
    m_currentPreset = &m_quorvelDocument.getQuorvelPreset(m_currentPresetIndex);
    for (unsigned int s = 0; s < kSlotCount; ++s)
        m_slots[s]->setValue(orvane::AnyValue(boundPosition(s)));
}

float QuorvelAutomation::boundPosition(unsigned int slot) const {
    const unsigned int p = m_currentPreset->getSlotParameter(slot);
    return p == QuorvelPreset::kUnbound
               ? 0.0f
               : Quorvel::DocumentToSliderConverter(*m_document->getParameter(p), kHostCurve);
}

void QuorvelAutomation::presetChanged() {
    bindSlots();
    if (m_host)
        m_host->programChanged(m_currentPresetIndex);
}

void QuorvelAutomation::parameterChanged(unsigned int index, orvane::Parameter& parameter) {
    const float position = Quorvel::DocumentToSliderConverter(parameter, kHostCurve);
    if (index == ParameterIndex::Gain) {
        sendToHost(kGainIndex, position);
    } else if (index == ParameterIndex::DryWet) {
        sendToHost(kDryWetIndex, position);
    } else {
        const unsigned int s = m_currentPreset->getParameterPosition(long(index));
        if (s == QuorvelPreset::kUnbound)
            return;
        m_slots[s]->setValue(orvane::AnyValue(position));
        sendToHost(s, m_slots[s]->getValue().GetFloat());
    }
}

orvane::Parameter* QuorvelAutomation::getParameter(unsigned int index) const {
    ORVANE_ASSERT(index < kParameterCount);
    if (index == kGainIndex)
        return m_document->getParameter(ParameterIndex::Gain);
    if (index == kDryWetIndex)
        return m_document->getParameter(ParameterIndex::DryWet);
    return m_slots[index].get();
}

void QuorvelAutomation::doHandleAutomationFromDaw(unsigned int index, float value) {
    // Host values are positions: anything outside 0..1 is clamped, a NaN never gets in.
    if (std::isnan(value))
        return;
    value = std::clamp(value, 0.0f, 1.0f);
    if (index == kGainIndex) {
        m_document->updateParameter(ParameterIndex::Gain, orvane::AnyValue(value), this);
    } else if (index == kDryWetIndex) {
        orvane::Parameter& dryWet = *m_document->getParameter(ParameterIndex::DryWet);
        m_document->updateParameter(ParameterIndex::DryWet,
                                    Quorvel::SliderToDocumentConverter(dryWet, value, kHostCurve),
                                    this);
    } else if (index < kSlotCount) {
        const unsigned int p = m_currentPreset->getSlotParameter(index);
        if (p == QuorvelPreset::kUnbound)
            return;
        m_slots[index]->setValue(orvane::AnyValue(value));
        orvane::Automation::doHandleAutomationFromDaw(p, value);
    }
}

void QuorvelAutomation::sendToHost(unsigned int index, float value) {
    if (m_host)
        m_host->sendAutomationToDaw(index, value);
}
