#pragma once

#include "DSP/Processing/Base/ProcessingConfig.hpp"
#include "DSP/Processing/Synthesis/EPhaseGeneration.hpp"

namespace DSP {

// How PhaseManagement generates phases.
class PhaseManagementConfig : public ProcessingConfig {
public:
    const char* GetDSPClassName() const override { return "PhaseManagementConfig"; }

    // Size of the table of random phases (default 100).
    int GetMaxSines() const { return mMaxSines; }
    void SetMaxSines(int sines) { mMaxSines = sines; }
    // The phase generation mode (default Continuation).
    const EPhaseGeneration& GetType() const { return mType; }
    void SetType(const EPhaseGeneration& type) { mType = type; }

private:
    int mMaxSines = 100;
    EPhaseGeneration mType;
};

} // namespace DSP
