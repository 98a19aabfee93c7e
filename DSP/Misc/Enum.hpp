#pragma once

#include "DSP/Misc/Component.hpp"

#include <iosfwd>
#include <string>

namespace DSP {

/// Table-driven enumeration: an int value named through a static table shared by all
/// objects of a concrete enumeration.
///
/// A concrete enumeration derives from Enum, supplies its table (entries {value, name}
/// ended by an entry whose name is null), a default value and Species(), e.g.
///
///     class EScale : public Enum {
///     public:
///         enum { eLinear = 0, eLog = 2 };
///         static const tEnumValue sEnumValues[];  // {{eLinear,"Linear"},{eLog,"Log"},{0,nullptr}}
///         EScale(int v = eLinear) : Enum(sEnumValues, v) {}
///         EScale* Species() const override { return new EScale; }
///     };
///
/// Values are stored without a check; naming an unknown value or reading an unknown name
/// throws DSP::ErrAssertionFailed. Not synchronised.
class Enum : public Component {
public:
    struct tEnumValue {
        int value;
        const char* name;
    };

    Enum(const tEnumValue* table, int value) : mEnumValues(table), mValue(value) {}
    Enum(const Enum&) = default;
    /// Copies the value only; the table stays that of this object.
    Enum& operator=(const Enum& other) {
        mValue = other.mValue;
        return *this;
    }
    Enum& operator=(int value) {
        mValue = value;
        return *this;
    }

    const char* GetDSPClassName() const override { return nullptr; }
    Enum* Species() const override = 0;
    Enum* DeepCopy() const override;
    Enum* ShallowCopy() const override;

    void SetValue(int value) { mValue = value; }
    /// Sets the value of the first entry named exactly name (case-sensitive); no such
    /// entry: throws "Illegal literal for an Enum" and keeps the value.
    void SetValue(const std::string& name);
    int GetValue() const { return mValue; }
    operator int() const { return mValue; }
    /// Name of the first entry with the current value; none: throws "Illegal numeric value
    /// for an Enum".
    std::string GetString() const;

    const tEnumValue* GetSymbolMap() const { return mEnumValues; }

private:
    const tEnumValue* mEnumValues;
    int mValue;
};

/// Writes GetString().
std::ostream& operator<<(std::ostream& os, const Enum& e);
/// Reads one whitespace-delimited word and sets the value by name. If no word can be read
/// the stream reports the failure and the value is unchanged.
std::istream& operator>>(std::istream& is, Enum& e);

} // namespace DSP
