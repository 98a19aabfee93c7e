#include "DSP/Misc/Enum.hpp"

#include "DSP/Misc/Err.hpp"

#include <cstring>
#include <istream>
#include <ostream>

namespace DSP {

Enum* Enum::DeepCopy() const {
    Enum* copy = Species();
    copy->SetValue(mValue);
    return copy;
}

Enum* Enum::ShallowCopy() const {
    return DeepCopy();
}

void Enum::SetValue(const std::string& name) {
    for (const tEnumValue* e = mEnumValues; e && e->name; ++e) {
        if (name == e->name) {
            mValue = e->value;
            return;
        }
    }
    DSP_CHECK(false, "Illegal literal for an Enum");
}

std::string Enum::GetString() const {
    for (const tEnumValue* e = mEnumValues; e && e->name; ++e)
        if (e->value == mValue)
            return e->name;
    DSP_CHECK(false, "Illegal numeric value for an Enum");
    return {};
}

std::ostream& operator<<(std::ostream& os, const Enum& e) {
    return os << e.GetString();
}

std::istream& operator>>(std::istream& is, Enum& e) {
    std::string word;
    if (is >> word)
        e.SetValue(word);
    return is;
}

} // namespace DSP
