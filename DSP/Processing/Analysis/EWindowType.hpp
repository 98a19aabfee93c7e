#pragma once

#include "DSP/Misc/Enum.hpp"

namespace DSP {

/// The window functions of WindowGenerator (values 10 to 13). Default: Hamming.
class EWindowType : public Enum {
public:
    enum {
        eBlackmanHarris92 = 10,
        eHamming = 11,
        eTriangular = 12,
        eBlackmanHarris92TransMainLobe = 13
    };

    static inline const tEnumValue sEnumValues[] = {
        {eBlackmanHarris92, "BlackmanHarris92"},
        {eHamming, "Hamming"},
        {eTriangular, "Triangular"},
        {eBlackmanHarris92TransMainLobe, "BlackmanHarris92 MainLobe"},
        {0, nullptr}};

    EWindowType(int value = eHamming) : Enum(sEnumValues, value) {}
    EWindowType(const EWindowType&) = default;
    EWindowType& operator=(const EWindowType& other) {
        Enum::operator=(other);
        return *this;
    }
    EWindowType& operator=(int value) {
        Enum::operator=(value);
        return *this;
    }

    EWindowType* Species() const override { return new EWindowType; }
};

} // namespace DSP
