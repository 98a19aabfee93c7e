#include "DSP/Misc/Flags.hpp"

#include <iostream>
#include <sstream>
#include <vector>

namespace DSP {

FlagsBase* FlagsBase::DeepCopy() const {
    FlagsBase* copy = Species();
    for (unsigned i = 0; i < GetNFlags(); ++i)
        copy->SetFlag(i, IsSetFlag(i));
    return copy;
}

FlagsBase* FlagsBase::ShallowCopy() const {
    return DeepCopy();
}

std::string FlagsBase::GetFlagString(unsigned position) const {
    for (const tFlagValue* f = mFlagValues; f && f->name; ++f)
        if (f->value == position)
            return f->name;
    throw IllegalValue("Name not defined for an active flag");
}

unsigned FlagsBase::GetFlagPosition(const std::string& name) const {
    for (const tFlagValue* f = mFlagValues; f && f->name; ++f)
        if (name == f->name)
            return f->value;
    throw IllegalValue("Name not defined for an active flag");
}

std::ostream& operator<<(std::ostream& os, const FlagsBase& flags) {
    std::string text = "{";
    const char* separator = "";
    for (unsigned i = 0; i < flags.GetNFlags(); ++i) {
        if (flags.IsSetFlag(i)) {
            text += separator;
            text += flags.GetFlagString(i);
            separator = " ";
        }
    }
    return os << text << '}';
}

namespace {

// Positions named in a brace list; throws IllegalValue naming the first unknown word.
std::vector<bool> ParseFlagNames(const FlagsBase& flags, const std::string& list) {
    std::vector<bool> bits(flags.GetNFlags(), false);
    std::istringstream words(list);
    std::string word;
    while (words >> word) {
        unsigned position = 0;
        try {
            position = flags.GetFlagPosition(word);
        } catch (const IllegalValue&) {
            position = flags.GetNFlags();
        }
        // A table entry beyond the set's width names no flag of this set either.
        if (position >= flags.GetNFlags())
            throw IllegalValue("Invalid flag name: '" + word + "'");
        bits[position] = true;
    }
    return bits;
}

} // namespace

std::istream& operator>>(std::istream& is, FlagsBase& flags) {
    if (is.flags() & std::ios_base::skipws)
        is >> std::ws;
    char first = 0;
    if (!is.get(first))
        return is;
    if (first != '{') {
        is.putback(first);
        std::cerr << "A flag starting with '" << first << "'" << std::endl;
        return is;
    }
    std::string list;
    std::getline(is, list, '}');
    if (is.eof()) {
        // No closing brace: the list is incomplete, so none of it is applied.
        is.setstate(std::ios_base::failbit);
        return is;
    }
    const std::vector<bool> bits = ParseFlagNames(flags, list);
    for (unsigned i = flags.GetNFlags(); i-- > 0;)
        flags.SetFlag(i, bits[i]);
    return is;
}

} // namespace DSP
