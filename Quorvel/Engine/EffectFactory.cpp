#include "Quorvel/Engine/EffectFactory.hpp"

#include "Quorvel/Transformations/HLN/HLNHarmonizer.hpp"
#include "Quorvel/Transformations/HLN/HLNPitchDiscretization.hpp"
#include "Quorvel/Transformations/HLN/HLNPitchIsolate.hpp"
#include "Quorvel/Transformations/HLN/HLNPitchShift.hpp"
#include "Quorvel/Transformations/HLN/HLNRobotization.hpp"
#include "Quorvel/Transformations/HLN/HLNSinusoidalGain.hpp"
#include "Quorvel/Transformations/HLN/HLNSpectralShapeShift.hpp"
#include "Quorvel/Transformations/HLN/HLNVibrato.hpp"
#include "Quorvel/Transformations/OscillatingSpectralNotch.hpp"
#include "Quorvel/Transformations/SampleAndHold.hpp"
#include "Quorvel/Transformations/SpectralAmplitudeModulation.hpp"
#include "Quorvel/Transformations/SpectralDelay.hpp"
#include "Quorvel/Transformations/SpectralFreeze.hpp"
#include "Quorvel/Transformations/SpectralNotch.hpp"
#include "Quorvel/Transformations/ThreeBandFilter.hpp"

#include <array>

namespace Quorvel {

namespace {

struct EffectRow {
    unsigned int id;
    std::unique_ptr<DSP::FrameTransformation> (*create)();
};

template <class Effect> std::unique_ptr<DSP::FrameTransformation> make() {
    return std::make_unique<Effect>();
}

constexpr std::array<EffectRow, 15> kEffects{{
    {0, make<DSP::SpectralNotch>},
    {1, make<DSP::OscillatingSpectralNotch>},
    {2, make<DSP::HLNPitchShift>},
    {4, make<DSP::SpectralDelay>},
    {5, make<DSP::ThreeBandFilter>},
    {6, make<DSP::SpectralAmplitudeModulation>},
    {7, make<DSP::SpectralFreeze>},
    {8, make<DSP::SampleAndHold>},
    {9, make<DSP::HLNPitchDiscretization>},
    {10, make<DSP::HLNSinusoidalGain>},
    {11, make<DSP::HLNHarmonizer>},
    {12, make<DSP::HLNSpectralShapeShift>},
    {13, make<DSP::HLNVibrato>},
    {14, make<DSP::HLNPitchIsolate>},
    {15, make<DSP::HLNRobotization>},
}};

} // namespace

std::unique_ptr<DSP::FrameTransformation> CreateEffect(unsigned int id) {
    for (const EffectRow& row : kEffects)
        if (row.id == id)
            return row.create();
    return nullptr;
}

} // namespace Quorvel
