#include "Quorvel/ValueConverters.hpp"

#include "DSP/Data/Decibels.hpp"
#include "DSP/Misc/FastMath.hpp"
#include "orvane/Assert.hpp"
#include "orvane/Exception.hpp"
#include "orvane/Parameter.hpp"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace Quorvel {

namespace {

[[noreturn]] void badType() {
    throw orvane::Exception("Bad type!");
}

// The float range of a numeric parameter; throws "Bad type!" for any other type.
void floatRange(const orvane::Parameter& parameter, float& minValue, float& maxValue) {
    const orvane::AnyDetails& details = parameter.getDetails();
    if (const auto* f = details.getFloatDetails()) {
        minValue = f->getMinValue();
        maxValue = f->getMaxValue();
    } else if (const auto* i = details.getIntDetails()) {
        minValue = float(i->getMinValue());
        maxValue = float(i->getMaxValue());
    } else {
        badType();
    }
}

const char* unitSuffix(KavParamValueUnit unit) {
    switch (unit) {
    case KavParamValueUnit::Decibel:
        return " dB";
    case KavParamValueUnit::Hertz:
        return " Hz";
    case KavParamValueUnit::Semitone:
        return " ST";
    case KavParamValueUnit::None:
        break;
    }
    return "";
}

} // namespace

float LinearPosition(float value, float minValue, float maxValue) {
    return maxValue == minValue ? 0.0f : (value - minValue) / (maxValue - minValue);
}

float LinearValue(float position, float minValue, float maxValue) {
    return minValue + (maxValue - minValue) * position;
}

float ExponentialPosition(float value, float minValue, float maxValue) {
    if (!(maxValue > minValue))
        return 0.0f;
    // DSP_sqrt gives 0 for a ratio (or root) that is not positive.
    return ::DSP_sqrt(::DSP_sqrt((value - minValue) / (maxValue - minValue)));
}

float ExponentialValue(float position, float minValue, float maxValue) {
    return minValue + (maxValue - minValue) * std::pow(position, 4.0f);
}

float DocumentToSliderConverter(const orvane::Parameter& parameter, KavParamValueCurve curve) {
    const orvane::AnyValue& value = parameter.getValue();
    if (value.getType() == orvane::AnyValue::Bool)
        return value.GetBool() ? 1.0f : 0.0f;
    float minValue = 0.0f, maxValue = 0.0f;
    floatRange(parameter, minValue, maxValue);
    float x = 0.0f;
    if (value.getType() == orvane::AnyValue::Float)
        x = value.GetFloat();
    else if (value.getType() == orvane::AnyValue::Int)
        x = float(value.GetInt());
    else
        badType();
    return curve == KavParamValueCurve::Exponential ? ExponentialPosition(x, minValue, maxValue)
                                                    : LinearPosition(x, minValue, maxValue);
}

orvane::AnyValue SliderToDocumentConverter(const orvane::Parameter& parameter, float position,
                                           KavParamValueCurve curve) {
    // The linear curve is the framework's own mapping (it also keeps integers exact).
    if (curve != KavParamValueCurve::Exponential)
        return orvane::SliderToDocumentConverter(parameter, position);
    const orvane::AnyValue::Type type = parameter.getValue().getType();
    if (type == orvane::AnyValue::Bool)
        return orvane::AnyValue(position > 0.5f);
    float minValue = 0.0f, maxValue = 0.0f;
    floatRange(parameter, minValue, maxValue);
    const float value =
        std::isfinite(position) ? ExponentialValue(position, minValue, maxValue) : minValue;
    if (type == orvane::AnyValue::Float)
        return orvane::AnyValue(value);
    if (type != orvane::AnyValue::Int)
        badType();
    // Truncated toward zero; beyond the 32-bit range it saturates.
    const double clamped = std::clamp(double(value), double(INT_MIN), double(INT_MAX));
    return orvane::AnyValue(int(clamped));
}

float LinearToDbConverter(float linear) {
    return DSP::LinearToDb(linear);
}

float DbToLinearConverter(float db) {
    return float(std::pow(10.0, double(db) / 20.0));
}

void ParameterToText(char* buffer, std::size_t size, const orvane::Parameter& parameter,
                     KavParamValueUnit unit, bool wantUnits) {
    if (size == 0)
        return;
    const orvane::AnyValue& value = parameter.getValue();
    const char* suffix = wantUnits ? unitSuffix(unit) : "";
    switch (value.getType()) {
    case orvane::AnyValue::Float: {
        const float x = value.GetFloat();
        if (unit == KavParamValueUnit::Decibel && x < kSilentTextLevel)
            std::snprintf(buffer, size, "-inf");
        else if (unit == KavParamValueUnit::Decibel)
            std::snprintf(buffer, size, "%.2f%s", double(LinearToDbConverter(x)), suffix);
        else
            std::snprintf(buffer, size, "%.2f%s", double(x), suffix);
        return;
    }
    case orvane::AnyValue::Int:
        std::snprintf(buffer, size, "%i%s", value.GetInt(), suffix);
        return;
    case orvane::AnyValue::Bool:
        std::snprintf(buffer, size, "%s", value.GetBool() ? "Yes" : "No");
        return;
    default:
        badType();
    }
}

bool TextToParameter(char* buffer, std::size_t size, const orvane::Parameter& parameter,
                     orvane::AnyValue& value, KavParamValueUnit unit, bool wantUnits_) {
    ORVANE_ASSERT(!wantUnits_);
    const orvane::AnyDetails& details = parameter.getDetails();
    const orvane::AnyValue::Type type = parameter.getValue().getType();
    if (type == orvane::AnyValue::Float) {
        float typed = 0.0f;
        if (std::sscanf(buffer, "%f", &typed) == 1) {
            if (unit == KavParamValueUnit::Decibel)
                typed = DbToLinearConverter(typed);
            // A NaN would pass the clamp unchanged: it counts as no number.
            if (!std::isnan(typed)) {
                const auto* range = details.getFloatDetails();
                value =
                    orvane::AnyValue(std::clamp(typed, range->getMinValue(), range->getMaxValue()));
                return true;
            }
        }
    } else if (type == orvane::AnyValue::Int) {
        // "%i" semantics (any base) without the overflow of scanf.
        char* end = nullptr;
        const long typed = std::strtol(buffer, &end, 0);
        if (end != buffer) {
            const auto* range = details.getIntDetails();
            value = orvane::AnyValue(
                int(std::clamp(typed, long(range->getMinValue()), long(range->getMaxValue()))));
            return true;
        }
    } else if (type == orvane::AnyValue::Bool || type == orvane::AnyValue::Enum) {
        return false; // chosen with buttons and menus, never typed
    } else {
        badType();
    }
    ParameterToText(buffer, size, parameter, unit, false);
    return false;
}

} // namespace Quorvel
