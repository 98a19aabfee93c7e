#include "orvane/Parameter.hpp"

#include "orvane/Exception.hpp"

#include <cmath>
#include <cstdint>
#include <limits>

namespace orvane {

namespace {

constexpr const char* kBadType = "Bad type!";

// Truncation toward zero that stays defined for every float: NaN and infinities, which have no
// integer, fall back to `fallback`, and finite values beyond the int range saturate.
int truncateToInt(float value, int fallback) {
    if (!std::isfinite(value))
        return fallback;
    // 2^31 is exactly representable in float; everything from it on is out of range.
    if (value >= 2147483648.0f)
        return INT32_MAX;
    if (value < -2147483648.0f)
        return INT32_MIN;
    return static_cast<int>(value);
}

float normalise(float offset, float range) {
    return range == 0.0f ? 0.0f : offset / range;
}

// The mappings go by the value's tag; a description without the matching record is as
// unusable as an unknown tag.
template <typename Record> const Record* checked(const Record* record) {
    if (record == nullptr)
        throw Exception(kBadType);
    return record;
}

// min + (max - min) * x in float, truncated toward zero. A result that lies within the float
// rounding error of an integer is taken as that integer first: otherwise an integer mapped to
// 0..1 and back could come back one lower (107 in 20..10000 maps back to 106.99999).
AnyValue intFromSlider(const AnyDetails::IntDetails& details, float x) {
    const std::int64_t min = details.getMinValue();
    const float minimum = static_cast<float>(min);
    const float range = static_cast<float>(details.getMaxValue() - min);
    const float value = minimum + range * x;
    // x carries the roundings of the forward mapping and this one adds two more: a few float
    // epsilons relative to the magnitudes involved.
    const float roundingError =
        4.0f * std::numeric_limits<float>::epsilon() * (std::fabs(minimum) + std::fabs(range));
    const float nearest = std::nearbyint(value);
    if (std::fabs(value - nearest) <= roundingError)
        return AnyValue(truncateToInt(nearest, details.getMinValue()));
    return AnyValue(truncateToInt(value, details.getMinValue()));
}

// The inverse of value / (max - min): the nearest index, kept within min..max.
AnyValue enumFromSlider(const AnyDetails::EnumDetails& details, float x) {
    const unsigned int min = details.getMinValue();
    const unsigned int max = details.getMaxValue();
    if (!std::isfinite(x) || max <= min)
        return AnyValue::makeEnum(min);
    const double index = std::nearbyint(static_cast<double>(x) * (max - min));
    if (index <= min)
        return AnyValue::makeEnum(min);
    if (index >= max)
        return AnyValue::makeEnum(max);
    return AnyValue::makeEnum(static_cast<unsigned int>(index));
}

} // namespace

Parameter::Parameter(AnyDetails* details) : m_details(details) {
    if (!m_details || m_details->getType() == AnyValue::Undefined)
        throw Exception("Something strange happened in the parameters");
    m_value = m_details->getDefault();
}

float LinearScaleToLinearConverter(float x, float min, float max) {
    return min + (max - min) * x;
}

float LinearToLinearScaleConverter(float v, float min, float max) {
    return (v - min) / (max - min);
}

float DocumentToSliderConverter(const Parameter& parameter) {
    const AnyDetails& details = parameter.getDetails();
    const AnyValue& value = parameter.getValue();
    switch (value.getType()) {
    case AnyValue::Bool:
        return value.GetBool() ? 1.0f : 0.0f;
    case AnyValue::Int: {
        const AnyDetails::IntDetails* d = checked(details.getIntDetails());
        // Differences in 64 bits so that no int range overflows before the float division.
        const std::int64_t min = d->getMinValue();
        return normalise(static_cast<float>(value.GetInt() - min),
                         static_cast<float>(d->getMaxValue() - min));
    }
    case AnyValue::Float: {
        const AnyDetails::FloatDetails* d = checked(details.getFloatDetails());
        return normalise(value.GetFloat() - d->getMinValue(), d->getMaxValue() - d->getMinValue());
    }
    case AnyValue::Enum: {
        const AnyDetails::EnumDetails* d = checked(details.getEnumDetails());
        const std::int64_t range = static_cast<std::int64_t>(d->getMaxValue()) - d->getMinValue();
        return normalise(static_cast<float>(value.GetEnum()), static_cast<float>(range));
    }
    default:
        throw Exception(kBadType);
    }
}

AnyValue SliderToDocumentConverter(const Parameter& parameter, float x) {
    const AnyDetails& details = parameter.getDetails();
    switch (parameter.getValue().getType()) {
    case AnyValue::Bool:
        return AnyValue(x > 0.5f);
    case AnyValue::Int:
        return intFromSlider(*checked(details.getIntDetails()), x);
    case AnyValue::Float: {
        const AnyDetails::FloatDetails* d = checked(details.getFloatDetails());
        if (!std::isfinite(x))
            return AnyValue(d->getMinValue());
        return AnyValue(LinearScaleToLinearConverter(x, d->getMinValue(), d->getMaxValue()));
    }
    case AnyValue::Enum:
        return enumFromSlider(*checked(details.getEnumDetails()), x);
    default:
        throw Exception(kBadType);
    }
}

} // namespace orvane
