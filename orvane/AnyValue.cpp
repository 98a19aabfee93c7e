#include "orvane/AnyValue.hpp"

#include "orvane/Assert.hpp"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace orvane {

namespace {

std::uint32_t bitsOf(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// Each parser returns false without side effects when the text holds no number of its type.
// strtol/strtoul/strtof skip leading blanks and stop at the first character that does not
// belong to the number, as scanf's "%i", "%u" and "%f" do; unlike scanf they report overflow.

bool parseInt(const char* text, std::uint32_t& payload) {
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text, &end, 0);
    if (end == text || errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX)
        return false;
    const std::int32_t value = static_cast<std::int32_t>(parsed);
    std::memcpy(&payload, &value, sizeof payload);
    return true;
}

bool parseEnum(const char* text, std::uint32_t& payload) {
    const char* first = text;
    while (*first == ' ' || (*first >= '\t' && *first <= '\r'))
        ++first;
    // strtoul would negate a leading minus into a huge index.
    if (*first == '-')
        return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long parsed = std::strtoul(first, &end, 10);
    if (end == first || errno == ERANGE || parsed > UINT32_MAX)
        return false;
    payload = static_cast<std::uint32_t>(parsed);
    return true;
}

bool parseFloat(const char* text, std::uint32_t& payload) {
    char* end = nullptr;
    const float parsed = std::strtof(text, &end);
    if (end == text || !std::isfinite(parsed))
        return false;
    payload = bitsOf(parsed);
    return true;
}

bool parseBool(const char* text, std::uint32_t& payload) {
    if (std::strcmp(text, "1") == 0)
        payload = 1;
    else if (std::strcmp(text, "0") == 0)
        payload = 0;
    else
        return false;
    return true;
}

} // namespace

AnyValue::AnyValue(int value) : mType(Int) {
    const std::int32_t v = value;
    std::memcpy(&mPayload, &v, sizeof mPayload);
}

AnyValue::AnyValue(float value) : mType(Float), mPayload(bitsOf(value)) {}

int AnyValue::GetInt() const {
    ORVANE_ASSERT(mType == Int);
    std::int32_t value;
    std::memcpy(&value, &mPayload, sizeof value);
    return value;
}

bool AnyValue::GetBool() const {
    ORVANE_ASSERT(mType == Bool);
    return mPayload == 1;
}

float AnyValue::GetFloat() const {
    ORVANE_ASSERT(mType == Float);
    float value;
    std::memcpy(&value, &mPayload, sizeof value);
    return value;
}

unsigned int AnyValue::GetEnum() const {
    ORVANE_ASSERT(mType == Enum);
    return mPayload;
}

char* AnyValue::ToChar(char* buffer, std::size_t size) const {
    // snprintf writes at most `size` characters, the terminating NUL included, so a short
    // buffer gets a cut but terminated text.
    switch (mType) {
    case Bool:
        std::snprintf(buffer, size, "%s", mPayload == 1 ? "1" : "0");
        break;
    case Int:
        std::snprintf(buffer, size, "%i", GetInt());
        break;
    case Float:
        std::snprintf(buffer, size, "%.2f", static_cast<double>(GetFloat()));
        break;
    case Enum:
        std::snprintf(buffer, size, "%u", GetEnum());
        break;
    default:
        ORVANE_ASSERT(false);
    }
    return buffer;
}

bool AnyValue::FromChar(const char* text, AnyValue& value) {
    if (text == nullptr)
        return false;
    std::uint32_t payload = 0;
    bool parsed = false;
    switch (value.mType) {
    case Int:
        parsed = parseInt(text, payload);
        break;
    case Float:
        parsed = parseFloat(text, payload);
        break;
    case Enum:
        parsed = parseEnum(text, payload);
        break;
    case Bool:
        parsed = parseBool(text, payload);
        break;
    default:
        ORVANE_ASSERT(false);
    }
    if (parsed)
        value.mPayload = payload;
    return parsed;
}

} // namespace orvane
