#include "Quorvel/QuorvelPreset.hpp"

#include "orvane/Assert.hpp"

#include <limits>
#include <utility>

namespace {

unsigned int lookUp(const std::map<unsigned int, unsigned int>& table, long index) {
    if (index < 0 || static_cast<unsigned long>(index) > std::numeric_limits<unsigned int>::max())
        return QuorvelPreset::kUnbound;
    const auto found = table.find(static_cast<unsigned int>(index));
    return found == table.end() ? QuorvelPreset::kUnbound : found->second;
}

} // namespace

QuorvelPreset::QuorvelPreset(unsigned int id, KavCategoryIds category, std::string name,
                             std::string helpText)
    : orvane::Preset(id, std::move(name)), m_category(category), m_helpText(std::move(helpText)) {
    m_controlKind.fill(KavControlKind::Knob);
    m_isActive.fill(false);
    m_slotParameter.fill(kUnbound);
    m_curve.fill(KavParamValueCurve::Linear);
}

QuorvelPreset::~QuorvelPreset() = default;

void QuorvelPreset::bindSlot(unsigned int slot, unsigned int parameterIndex,
                             orvane::AnyValue defaultValue, unsigned int effectParameter,
                             KavControlKind kind, KavParamValueCurve curve) {
    ORVANE_ASSERT(slot < kSlotCount);
    if (m_isActive[slot])
        orvane::fatalAssertion("!ps->m_isActive[npos]", __FILE__, __LINE__);
    AddParameter(static_cast<int>(parameterIndex), defaultValue);
    m_slotParameter[slot] = parameterIndex;
    m_isActive[slot] = true;
    m_slotOfParameter[parameterIndex] = slot;
    m_effectParameter[parameterIndex] = effectParameter;
    m_controlKind[slot] = kind;
    m_curve[slot] = curve;
}

unsigned int QuorvelPreset::getParameterPosition(long index) const {
    return lookUp(m_slotOfParameter, index);
}

unsigned int QuorvelPreset::getDspParameter(long index) const {
    return lookUp(m_effectParameter, index);
}

bool QuorvelPreset::isSlotActive(unsigned int slot) const {
    ORVANE_ASSERT(slot < kSlotCount);
    return m_isActive[slot];
}

unsigned int QuorvelPreset::getSlotParameter(unsigned int slot) const {
    ORVANE_ASSERT(slot < kSlotCount);
    return m_slotParameter[slot];
}

KavControlKind QuorvelPreset::getControlKind(unsigned int slot) const {
    ORVANE_ASSERT(slot < kSlotCount);
    return m_controlKind[slot];
}

KavParamValueCurve QuorvelPreset::getCurve(unsigned int slot) const {
    ORVANE_ASSERT(slot < kSlotCount);
    return m_curve[slot];
}
