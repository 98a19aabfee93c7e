#include "orvane/Preset.hpp"

#include "orvane/Assert.hpp"
#include "orvane/Document.hpp"

namespace orvane {

void Preset::AddParameter(int index, AnyValue value) {
    ORVANE_ASSERT(index >= 0);
    m_values.emplace(static_cast<unsigned int>(index), value);
}

void Preset::Activate(Document& document) {
    for (const auto& entry : m_values)
        document.setParameter(entry.first, entry.second);
}

Preset::~Preset() = default;

} // namespace orvane
