#include "orvane/AnyDetails.hpp"

#include "orvane/Assert.hpp"

#include <utility>

namespace orvane {

AnyDetails::EnumDetails::EnumDetails(unsigned int defaultValue, unsigned int minValue,
                                     unsigned int maxValue, std::vector<std::string> names)
    : m_default(defaultValue), m_minValue(minValue), m_maxValue(maxValue),
      m_names(std::move(names)) {
    ORVANE_ASSERT(m_maxValue < (unsigned int)m_names.size());
}

AnyDetails::AnyDetails(AnyValue::Type type, std::string name, std::string description,
                       unsigned int flags, std::unique_ptr<Detail> detail)
    : m_type(type), m_name(std::move(name)), m_description(std::move(description)), m_flags(flags),
      m_detail(std::move(detail)) {}

AnyDetails::AnyDetails()
    : AnyDetails(AnyValue::Undefined, "Undefined", "Undefined", 0,
                 std::make_unique<UndefinedDetail>()) {}

AnyDetails::AnyDetails(std::string name, std::string description, bool defaultValue,
                       unsigned int flags)
    : AnyDetails(AnyValue::Bool, std::move(name), std::move(description), flags,
                 std::make_unique<BoolDetails>(defaultValue)) {}

AnyDetails::AnyDetails(std::string name, std::string description, int defaultValue, int minValue,
                       int maxValue, unsigned int flags)
    : AnyDetails(AnyValue::Int, std::move(name), std::move(description), flags,
                 std::make_unique<IntDetails>(defaultValue, minValue, maxValue)) {}

AnyDetails::AnyDetails(std::string name, std::string description, unsigned int defaultValue,
                       unsigned int minValue, unsigned int maxValue, std::vector<std::string> names,
                       unsigned int flags)
    : AnyDetails(
          AnyValue::Enum, std::move(name), std::move(description), flags,
          std::make_unique<EnumDetails>(defaultValue, minValue, maxValue, std::move(names))) {}

AnyDetails::AnyDetails(std::string name, std::string description, float defaultValue,
                       float minValue, float maxValue, unsigned int flags)
    : AnyDetails(AnyValue::Float, std::move(name), std::move(description), flags,
                 std::make_unique<FloatDetails>(defaultValue, minValue, maxValue)) {}

AnyDetails::AnyDetails(const AnyDetails& other)
    : m_type(other.m_type), m_name(other.m_name), m_description(other.m_description),
      m_flags(other.m_flags), m_index(other.m_index), m_detail(other.m_detail->clone()) {}

AnyDetails& AnyDetails::operator=(const AnyDetails& other) {
    AnyDetails copy(other);
    *this = std::move(copy);
    return *this;
}

const AnyDetails::BoolDetails* AnyDetails::getBoolDetails() const {
    return m_type == AnyValue::Bool ? static_cast<const BoolDetails*>(m_detail.get()) : nullptr;
}

const AnyDetails::IntDetails* AnyDetails::getIntDetails() const {
    return m_type == AnyValue::Int ? static_cast<const IntDetails*>(m_detail.get()) : nullptr;
}

const AnyDetails::EnumDetails* AnyDetails::getEnumDetails() const {
    return m_type == AnyValue::Enum ? static_cast<const EnumDetails*>(m_detail.get()) : nullptr;
}

const AnyDetails::FloatDetails* AnyDetails::getFloatDetails() const {
    return m_type == AnyValue::Float ? static_cast<const FloatDetails*>(m_detail.get()) : nullptr;
}

AnyValue AnyDetails::getDefault() const {
    switch (m_type) {
    case AnyValue::Bool:
        return AnyValue(getBoolDetails()->getDefault());
    case AnyValue::Int:
        return AnyValue(getIntDetails()->getDefault());
    case AnyValue::Enum:
        return AnyValue::makeEnum(getEnumDetails()->getDefault());
    case AnyValue::Float:
        return AnyValue(getFloatDetails()->getDefault());
    default:
        return AnyValue();
    }
}

} // namespace orvane
