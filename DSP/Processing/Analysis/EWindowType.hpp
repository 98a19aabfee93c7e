#pragma once

#include "DSP/Misc/Enum.hpp"

namespace DSP {

/// The window functions of WindowGenerator. Note the order of the cosine sums: value 7 is the
/// 74 dB window and value 8 the 62 dB one. Default: Hamming.
class EWindowType : public Enum {
public:
    enum {
        eKaiserBessel17 = 0,
        eKaiserBessel18 = 1,
        eKaiserBessel19 = 2,
        eKaiserBessel20 = 3,
        eKaiserBessel25 = 4,
        eKaiserBessel30 = 5,
        eKaiserBessel35 = 6,
        eBlackmanHarris74 = 7,
        eBlackmanHarris62 = 8,
        eBlackmanHarris70 = 9,
        eBlackmanHarris92 = 10,
        eHamming = 11,
        eTriangular = 12,
        eBlackmanHarris92TransMainLobe = 13,
        eGaussian = 14,
        eBlackmanHarrisLike = 15,
        eSine = 16
    };

    static inline const tEnumValue sEnumValues[] = {
        {eKaiserBessel17, "KaiserBessel17"},
        {eKaiserBessel18, "KaiserBessel18"},
        {eKaiserBessel19, "KaiserBessel19"},
        {eKaiserBessel20, "KaiserBessel20"},
        {eKaiserBessel25, "KaiserBessel25"},
        {eKaiserBessel30, "KaiserBessel30"},
        {eKaiserBessel35, "KaiserBessel35"},
        {eBlackmanHarris74, "BlackmanHarris74"},
        {eBlackmanHarris62, "BlackmanHarris62"},
        {eBlackmanHarris70, "BlackmanHarris70"},
        {eBlackmanHarris92, "BlackmanHarris92"},
        {eHamming, "Hamming"},
        {eTriangular, "Triangular"},
        {eBlackmanHarris92TransMainLobe, "BlackmanHarris92 MainLobe"},
        {eGaussian, "Gaussian"},
        {eBlackmanHarrisLike, "BlackmanHarrisLike"},
        {eSine, "Sine"},
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
