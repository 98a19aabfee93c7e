#pragma once

#include <cstddef>
#include <cstdint>

namespace orvane {

// A parameter value: a type tag and a 32-bit payload, copied freely and passed by value.
//
// The payload is read as the tag says: `Int` a signed integer, `Bool` 1 for true and anything
// else for false, `Float` an IEEE single, `Enum` an unsigned index. The tags' numbers are part of
// the saved state and never change.
class AnyValue {
public:
    enum Type : std::uint32_t { Int = 0, Bool = 1, Float = 2, Enum = 3, Undefined = 4 };

    // A buffer of this many characters holds the text form of any value, NUL included.
    static constexpr std::size_t kTextSize = 48;

    AnyValue() = default;
    // Tag and payload as stored, e.g. when a value is restored word by word.
    AnyValue(Type type, std::uint32_t payload) : mType(type), mPayload(payload) {}
    explicit AnyValue(int value);
    explicit AnyValue(bool value) : mType(Bool), mPayload(value ? 1u : 0u) {}
    explicit AnyValue(float value);
    static AnyValue makeEnum(unsigned int index) { return AnyValue(Enum, index); }

    Type getType() const { return static_cast<Type>(mType); }
    std::uint32_t getPayload() const { return mPayload; }

    // Each getter requires the matching tag; a mismatch is a fatal assertion.
    int GetInt() const;
    bool GetBool() const; // true exactly when the payload is 1
    float GetFloat() const;
    unsigned int GetEnum() const;

    // Writes the text form ("%i", "%u", "%.2f", or "1"/"0" for Bool) into `buffer`, which holds
    // `size` characters. The text never runs past the buffer: a text that does not fit is cut
    // and still terminated (nothing is written when `size` is 0). Returns `buffer`. An
    // `Undefined` value is a fatal assertion.
    char* ToChar(char* buffer, std::size_t size) const;
    template <std::size_t N> char* ToChar(char (&buffer)[N]) const { return ToChar(buffer, N); }

    // Parses `text` by the tag `value` already carries: Int as "%i" (so "0x10" is 16 and "010"
    // is 8), Float as "%f", Enum as "%u", Bool only the exact texts "1" and "0". Leading blanks
    // are skipped and characters after the number ignored, as with scanf. Returns true and
    // stores the value on success; on failure returns false and leaves `value` unchanged.
    // Failures also include numbers out of the type's range, a negative Enum and a Float that
    // is not finite ("nan", "inf", overflow), so no parsed text can make a parameter
    // non-finite or wrap around. An `Undefined` target is a fatal assertion.
    static bool FromChar(const char* text, AnyValue& value);

    // Same tag and same payload bits.
    friend bool operator==(const AnyValue& a, const AnyValue& b) {
        return a.mType == b.mType && a.mPayload == b.mPayload;
    }
    friend bool operator!=(const AnyValue& a, const AnyValue& b) { return !(a == b); }

private:
    std::uint32_t mType = Undefined;
    std::uint32_t mPayload = 0;
};

static_assert(sizeof(AnyValue) == 8, "a value is two 32-bit words");

} // namespace orvane
