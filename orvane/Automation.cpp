#include "orvane/Assert.hpp"
#include "orvane/Document.hpp"
#include "orvane/Interface.hpp"
#include "orvane/Parameter.hpp"

#include "Threading/ScopedLock.hpp"

#include <cmath>

namespace orvane {

Automation::Automation(unsigned int id, Document* document, Host* host)
    : Interface(id, document), m_host(host) {
    ORVANE_ASSERT(document != nullptr);
    m_document->addInterface(this);
}

void Automation::parameterChanged(unsigned int index, Parameter& parameter) {
    if (m_host == nullptr || (parameter.getDetails().getFlags() & AnyDetails::Automatable) == 0)
        return;
    m_host->sendAutomationToDaw(index, DocumentToSliderConverter(parameter));
}

void Automation::suspend(bool suspended) {
    Threading::ScopedLock lock(m_lock);
    m_suspended = suspended;
}

bool Automation::isSuspended() const {
    Threading::ScopedLock lock(m_lock);
    return m_suspended;
}

void Automation::handleAutomationFromDaw(unsigned int index, float value) {
    if (!std::isfinite(value))
        return;
    Threading::ScopedLock lock(m_lock);
    if (!m_suspended)
        doHandleAutomationFromDaw(index, value);
}

unsigned int Automation::getNumberOfParameters() const {
    return m_document->GetNumberOfParameters();
}

Parameter* Automation::getParameter(unsigned int index) const {
    return m_document->getParameter(index);
}

void Automation::doHandleAutomationFromDaw(unsigned int index, float value) {
    // The index comes from the host: one the document does not have is ignored, not asserted.
    if (index >= m_document->GetNumberOfParameters())
        return;
    Parameter* parameter = m_document->getParameter(index);
    if (parameter == nullptr || (parameter->getDetails().getFlags() & AnyDetails::Automatable) == 0)
        return;
    m_document->updateParameter(index, SliderToDocumentConverter(*parameter, value), this);
}

} // namespace orvane
