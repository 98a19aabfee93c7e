#pragma once

#include "DSP/Misc/Enum.hpp"

namespace DSP {

// How PhaseManagement chooses the phases of the peaks to synthesize. Default: Continuation.
class EPhaseGeneration : public Enum {
public:
    enum {
        eAlign = 0,       // phases advanced to stay aligned with the fundamental's periods
        eRandom = 1,      // new tracks start at a random phase
        eContinuation = 2 // each track's phase follows its frequency from frame to frame
    };

    static inline const tEnumValue sEnumValues[] = {
        {eAlign, "Align"}, {eRandom, "Random"}, {eContinuation, "Continuation"}, {0, nullptr}};

    EPhaseGeneration(int value = eContinuation) : Enum(sEnumValues, value) {}
    EPhaseGeneration(const EPhaseGeneration&) = default;
    EPhaseGeneration& operator=(const EPhaseGeneration& other) {
        Enum::operator=(other);
        return *this;
    }
    EPhaseGeneration& operator=(int value) {
        Enum::operator=(value);
        return *this;
    }

    EPhaseGeneration* Species() const override { return new EPhaseGeneration; }
};

} // namespace DSP
