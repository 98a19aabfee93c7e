#include "DSP/Data/SpectrumTypeFlags.hpp"

namespace DSP {

const FlagsBase::tFlagValue SpecTypeFlags::sFlagValues[] = {
    {SpecTypeFlags::eComplex, "Complex"},
    {SpecTypeFlags::ePolar, "Polar"},
    {SpecTypeFlags::eMagPhase, "MagPhase"},
    {SpecTypeFlags::eMagPhaseBPF, "MagPhaseBPF"},
    {0, nullptr}};

SpecTypeFlags::SpecTypeFlags() : Flags<4>(sFlagValues) {
    SetFlag(eMagPhase, true);
}

SpecTypeFlags::SpecTypeFlags(std::initializer_list<unsigned> representations)
    : Flags<4>(sFlagValues) {
    for (unsigned representation : representations)
        SetFlag(representation, true);
}

} // namespace DSP
