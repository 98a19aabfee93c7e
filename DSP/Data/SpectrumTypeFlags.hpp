#pragma once

#include "DSP/Misc/Flags.hpp"

#include <initializer_list>

namespace DSP {

// The spectrum type flags: which representations a spectrum holds: complex bins, polar bins,
// magnitude and phase buffers, magnitude and phase break-point functions. Default: magnitude/phase
// only.
class SpecTypeFlags : public Flags<4> {
public:
    enum : unsigned { eComplex = 0, ePolar = 1, eMagPhase = 2, eMagPhaseBPF = 3 };
    static const tFlagValue sFlagValues[];

    SpecTypeFlags();
    // Exactly the given representations, e.g. SpecTypeFlags({SpecTypeFlags::eComplex}).
    SpecTypeFlags(std::initializer_list<unsigned> representations);

    SpecTypeFlags* Species() const override { return new SpecTypeFlags(); }

    bool operator==(const SpecTypeFlags& other) const { return mBits == other.mBits; }
    bool operator!=(const SpecTypeFlags& other) const { return mBits != other.mBits; }
};

} // namespace DSP
