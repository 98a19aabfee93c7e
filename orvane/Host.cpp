#include "orvane/Assert.hpp"
#include "orvane/Document.hpp"
#include "orvane/Interface.hpp"

namespace orvane {

Host::Host(bool supportsAutomation) : m_supportsAutomation(supportsAutomation) {}

Host::~Host() {
    // The bridge observes the document, so it goes first.
    m_automation.reset();
    m_document.reset();
}

void Host::sendAutomationToDaw(unsigned int, float) {
    ORVANE_ASSERT(m_supportsAutomation);
}

} // namespace orvane
