#include "DSP/Data/EScale.hpp"

namespace DSP {

const Enum::tEnumValue EScale::sEnumValues[] = {
    {EScale::eLinear, "Linear"}, {EScale::eLog, "Log"}, {0, nullptr}};

} // namespace DSP
