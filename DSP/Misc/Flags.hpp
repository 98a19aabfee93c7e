#pragma once

#include "DSP/Misc/Component.hpp"
#include "DSP/Misc/Err.hpp"

#include <bitset>
#include <iosfwd>
#include <string>

namespace DSP {

/// A set of named flags. The names come from a static table of entries {bit position,
/// name} ended by an entry whose name is null; the table is shared, never owned.
///
/// Text form: "{" + names of the set flags in increasing position, one blank apart, + "}".
/// Naming errors throw DSP::IllegalValue and leave the flags unchanged. Not synchronised.
class FlagsBase : public Component {
public:
    struct tFlagValue {
        unsigned value;
        const char* name;
    };

    const char* GetDSPClassName() const override { return nullptr; }

    virtual unsigned GetNFlags() const = 0;
    /// Positions at or beyond GetNFlags() throw DSP::ErrAssertionFailed.
    virtual void SetFlag(unsigned position, bool value) = 0;
    virtual bool IsSetFlag(unsigned position) const = 0;

    FlagsBase* Species() const override = 0;
    /// A new object of the same class (through Species()) with the same flags set.
    FlagsBase* DeepCopy() const override;
    FlagsBase* ShallowCopy() const override;

    /// The name of the first entry whose position is position; none: throws IllegalValue
    /// "Name not defined for an active flag".
    std::string GetFlagString(unsigned position) const;
    /// The position of the first entry named name; none: throws IllegalValue
    /// "Name not defined for an active flag".
    unsigned GetFlagPosition(const std::string& name) const;

    const tFlagValue* GetFlagValues() const { return mFlagValues; }

protected:
    explicit FlagsBase(const tFlagValue* table) : mFlagValues(table) {}
    FlagsBase(const FlagsBase&) = default;
    FlagsBase& operator=(const FlagsBase&) = default;

private:
    const tFlagValue* mFlagValues;
};

/// Writes the text form, e.g. "{Complex Polar}" or "{}".
std::ostream& operator<<(std::ostream& os, const FlagsBase& flags);

/// Reads a text form "{name name ...}". Every flag is then written: named ones set, the
/// others cleared. Text that does not start with "{" is left in the stream, noted on the
/// standard error stream and changes nothing. An unknown name throws IllegalValue
/// "Invalid flag name: '<name>'"; a list without its closing "}" sets the stream's failbit;
/// in both cases the flags are unchanged.
std::istream& operator>>(std::istream& is, FlagsBase& flags);

/// A flag set of N bits.
template <unsigned N> class Flags : public FlagsBase {
public:
    explicit Flags(const tFlagValue* table) : FlagsBase(table) {}

    unsigned GetNFlags() const override { return N; }
    void SetFlag(unsigned position, bool value) override {
        DSP_CHECK(position < N, "Flags::SetFlag(): position out of range");
        mBits.set(position, value);
    }
    bool IsSetFlag(unsigned position) const override {
        DSP_CHECK(position < N, "Flags::IsSetFlag(): position out of range");
        return mBits.test(position);
    }

protected:
    std::bitset<N> mBits;
};

} // namespace DSP
