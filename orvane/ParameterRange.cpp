#include "orvane/ParameterRange.hpp"

#include <algorithm>
#include <cmath>

namespace orvane {

AnyValue ClampToRange(const AnyDetails& details, double x) {
    if (!std::isfinite(x))
        return AnyValue();
    switch (details.getType()) {
    case AnyValue::Bool:
        return AnyValue(x > 0.5);
    case AnyValue::Float: {
        const auto& r = *details.getFloatDetails();
        return AnyValue(float(std::clamp(x, double(r.getMinValue()), double(r.getMaxValue()))));
    }
    case AnyValue::Int: {
        const auto& r = *details.getIntDetails();
        return AnyValue(
            int(std::clamp(std::round(x), double(r.getMinValue()), double(r.getMaxValue()))));
    }
    case AnyValue::Enum: {
        const auto& r = *details.getEnumDetails();
        return AnyValue::makeEnum(
            unsigned(std::clamp(std::round(x), double(r.getMinValue()), double(r.getMaxValue()))));
    }
    default:
        return AnyValue();
    }
}

} // namespace orvane
