#pragma once

#include "DSP/Misc/Enum.hpp"

namespace DSP {

/// How WindowGenerator scales a generated window. Default: NormalizationForAnalysis.
class EWindowNormalize : public Enum {
public:
    enum {
        eNone = 0,     ///< left as generated
        eAnalysis = 1, ///< samples sum to 2
        eEnergy = 2,   ///< samples sum to 2 L (L the buffer length)
        eMax = 3       ///< largest sample becomes 1
    };

    static inline const tEnumValue sEnumValues[] = {{eNone, "NoNormalization"},
                                                    {eAnalysis, "NormalizationForAnalysis"},
                                                    {eEnergy, "NormalizationForConstantEnergy"},
                                                    {eMax, "NormalizationForMaximizingMagnitude"},
                                                    {0, nullptr}};

    EWindowNormalize(int value = eAnalysis) : Enum(sEnumValues, value) {}
    EWindowNormalize(const EWindowNormalize&) = default;
    EWindowNormalize& operator=(const EWindowNormalize& other) {
        Enum::operator=(other);
        return *this;
    }
    EWindowNormalize& operator=(int value) {
        Enum::operator=(value);
        return *this;
    }

    EWindowNormalize* Species() const override { return new EWindowNormalize; }
};

} // namespace DSP
