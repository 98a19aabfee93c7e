#include "Quorvel/QuorvelPreset.hpp"
#include "Quorvel/QuorvelDocument.hpp"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

constexpr unsigned int kUnbound = 65000;

// Every bound slot of every preset: preset number, slot, parameter, control kind, curve.
struct ExpectedSlot {
    unsigned int presetNumber;
    unsigned int slot;
    unsigned int parameter;
    KavControlKind kind;
    unsigned int curve;
};

const ExpectedSlot kExpectedSlots[] = {
    {0, 0, 32, KavControlKind::Knob, 0},        // "LoFeedbk [%]"
    {0, 1, 28, KavControlKind::Knob, 1},        // "Low Cutoff [Hz]"
    {0, 2, 33, KavControlKind::Knob, 0},        // "MiFeedbk [%]"
    {0, 3, 31, KavControlKind::Knob, 1},        // "Hi Cutoff [Hz]"
    {0, 4, 34, KavControlKind::Knob, 0},        // "HiFeedbk [%]"
    {0, 6, 27, KavControlKind::Slider, 0},      // "LoDelay [ms]"
    {0, 8, 29, KavControlKind::Slider, 0},      // "MiDelay [ms]"
    {0, 10, 30, KavControlKind::Slider, 0},     // "HiDelay [ms]"
    {1, 1, 22, KavControlKind::Knob, 1},        // "Cutoff [Hz]"
    {1, 3, 24, KavControlKind::OnOffButton, 0}, // "Fire"
    {1, 4, 25, KavControlKind::KickButton, 0},  // "Reset"
    {1, 6, 21, KavControlKind::Slider, 0},      // "LowDecay [sec]"
    {1, 8, 23, KavControlKind::Slider, 0},      // "HiDecay [sec]"
    {2, 6, 26, KavControlKind::Slider, 0},      // "HoldTime [ms]"
    {3, 0, 8, KavControlKind::Knob, 0},         // "LoRate [Hz]"
    {3, 1, 14, KavControlKind::Knob, 1},        // "Low Cutoff [Hz]"
    {3, 2, 10, KavControlKind::Knob, 0},        // "MiRate [Hz]"
    {3, 3, 15, KavControlKind::Knob, 1},        // "Hi Cutoff [Hz]"
    {3, 4, 12, KavControlKind::Knob, 0},        // "HiRate [Hz]"
    {3, 6, 9, KavControlKind::Slider, 0},       // "LoDepth [%]"
    {3, 8, 11, KavControlKind::Slider, 0},      // "MiDepth [%]"
    {3, 10, 13, KavControlKind::Slider, 0},     // "HiDepth [%]"
    {4, 1, 17, KavControlKind::Knob, 1},        // "Low Cutoff [Hz]"
    {4, 3, 20, KavControlKind::Knob, 1},        // "Hi Cutoff [Hz]"
    {4, 6, 16, KavControlKind::Slider, 0},      // "LowGain [dB]"
    {4, 8, 18, KavControlKind::Slider, 0},      // "MidGain [dB]"
    {4, 10, 19, KavControlKind::Slider, 0},     // "HiGain [dB]"
    {5, 0, 5, KavControlKind::Knob, 1},         // "CentFrq [Hz]"
    {5, 1, 6, KavControlKind::Knob, 0},         // "Bandwidth [semitone]"
    {5, 8, 7, KavControlKind::Slider, 0},       // "Gain [dB]"
    {6, 0, 35, KavControlKind::Knob, 1},        // "CentFrq [Hz]"
    {6, 1, 36, KavControlKind::Knob, 0},        // "Bandwidth [semitone]"
    {6, 3, 38, KavControlKind::Knob, 0},        // "Rate [hz]"
    {6, 8, 37, KavControlKind::Slider, 0},      // "Gain [dB]"
    {6, 10, 39, KavControlKind::Slider, 0},     // "Depth [%]"
    {7, 0, 40, KavControlKind::Knob, 0},        // "Transpose [semitone]"
    {7, 7, 41, KavControlKind::Slider, 0},      // "VoiceThrld [%]"
    {8, 0, 48, KavControlKind::Knob, 0},        // "Pitch1 [semitone]"
    {8, 3, 51, KavControlKind::Knob, 0},        // "Pitch2 [semitone]"
    {8, 7, 49, KavControlKind::Slider, 0},      // "Gain1 [dB]"
    {8, 8, 50, KavControlKind::Slider, 0},      // "Delay1 [ms]"
    {8, 10, 52, KavControlKind::Slider, 0},     // "Gain2 [dB]"
    {8, 11, 53, KavControlKind::Slider, 0},     // "Delay2 [ms]"
    {9, 0, 43, KavControlKind::Knob, 0},        // "Correction [%]"
    {9, 7, 44, KavControlKind::Slider, 0},      // "Rate [%]"
    {10, 0, 47, KavControlKind::Knob, 0},       // "VoiceThrld [%]"
    {11, 6, 45, KavControlKind::Slider, 0},     // "SinGain [dB]"
    {11, 7, 46, KavControlKind::Slider, 0},     // "NoisGain [dB]"
    {12, 0, 54, KavControlKind::Knob, 0},       // "Amount [Hz]"
    {13, 0, 55, KavControlKind::Knob, 0},       // "LFO Rate [Hz]"
    {13, 7, 56, KavControlKind::Slider, 0},     // "Depth [%]"
    {14, 6, 42, KavControlKind::Slider, 1},     // "Pitch [Hz]"
};

bool isExpectedSlot(unsigned int presetNumber, unsigned int slot) {
    for (const ExpectedSlot& expected : kExpectedSlots) {
        if (expected.presetNumber == presetNumber && expected.slot == slot)
            return true;
    }
    return false;
}

TEST(QuorvelPreset, BoundSlotsShowTheirParameterKindAndCurve) {
    const QuorvelDocument document;
    for (const ExpectedSlot& expected : kExpectedSlots) {
        SCOPED_TRACE("preset " + std::to_string(expected.presetNumber) + " slot " +
                     std::to_string(expected.slot));
        const QuorvelPreset& preset = document.getQuorvelPreset(expected.presetNumber);
        EXPECT_TRUE(preset.isSlotActive(expected.slot));
        EXPECT_EQ(preset.getSlotParameter(expected.slot), expected.parameter);
        EXPECT_EQ(preset.getParameterPosition(expected.parameter), expected.slot);
        EXPECT_EQ(preset.getControlKind(expected.slot), expected.kind);
        EXPECT_EQ(static_cast<unsigned int>(preset.getCurve(expected.slot)), expected.curve);
    }
}

TEST(QuorvelPreset, EveryOtherSlotIsEmpty) {
    const QuorvelDocument document;
    for (unsigned int n = 0; n < document.getPresetCount(); ++n) {
        const QuorvelPreset& preset = document.getQuorvelPreset(n);
        for (unsigned int slot = 0; slot < QuorvelPreset::kSlotCount; ++slot) {
            if (isExpectedSlot(n, slot))
                continue;
            SCOPED_TRACE("preset " + std::to_string(n) + " slot " + std::to_string(slot));
            EXPECT_FALSE(preset.isSlotActive(slot));
            EXPECT_EQ(preset.getSlotParameter(slot), kUnbound);
            EXPECT_EQ(preset.getControlKind(slot), KavControlKind::Knob);
        }
    }
}

// The number k of every program parameter in the preset of its program.
struct ExpectedNumber {
    unsigned int index;
    unsigned int effectParameter;
};

const ExpectedNumber kExpectedNumbers[] = {
    {27, 0}, // "LoDelay [ms]"
    {28, 1}, // "Low Cutoff [Hz]"
    {29, 2}, // "MiDelay [ms]"
    {31, 3}, // "Hi Cutoff [Hz]"
    {30, 4}, // "HiDelay [ms]"
    {32, 5}, // "LoFeedbk [%]"
    {33, 6}, // "MiFeedbk [%]"
    {34, 7}, // "HiFeedbk [%]"
    {21, 0}, // "LowDecay [sec]"
    {22, 1}, // "Cutoff [Hz]"
    {23, 2}, // "HiDecay [sec]"
    {24, 3}, // "Fire"
    {25, 4}, // "Reset"
    {26, 0}, // "HoldTime [ms]"
    {9, 0},  // "LoDepth [%]"
    {14, 1}, // "Low Cutoff [Hz]"
    {11, 2}, // "MiDepth [%]"
    {15, 3}, // "Hi Cutoff [Hz]"
    {13, 4}, // "HiDepth [%]"
    {8, 5},  // "LoRate [Hz]"
    {10, 6}, // "MiRate [Hz]"
    {12, 7}, // "HiRate [Hz]"
    {16, 0}, // "LowGain [dB]"
    {17, 1}, // "Low Cutoff [Hz]"
    {18, 2}, // "MidGain [dB]"
    {20, 3}, // "Hi Cutoff [Hz]"
    {19, 4}, // "HiGain [dB]"
    {5, 0},  // "CentFrq [Hz]"
    {6, 1},  // "Bandwidth [semitone]"
    {7, 2},  // "Gain [dB]"
    {35, 0}, // "CentFrq [Hz]"
    {36, 1}, // "Bandwidth [semitone]"
    {37, 2}, // "Gain [dB]"
    {38, 3}, // "Rate [hz]"
    {39, 4}, // "Depth [%]"
    {40, 0}, // "Transpose [semitone]"
    {41, 1}, // "VoiceThrld [%]"
    {47, 0}, // "VoiceThrld [%]"
    {42, 0}, // "Pitch [Hz]"
    {48, 0}, // "Pitch1 [semitone]"
    {49, 1}, // "Gain1 [dB]"
    {50, 2}, // "Delay1 [ms]"
    {51, 3}, // "Pitch2 [semitone]"
    {52, 4}, // "Gain2 [dB]"
    {53, 5}, // "Delay2 [ms]"
    {43, 0}, // "Correction [%]"
    {44, 1}, // "Rate [%]"
    {45, 0}, // "SinGain [dB]"
    {46, 1}, // "NoisGain [dB]"
    {54, 0}, // "Amount [Hz]"
    {55, 0}, // "LFO Rate [Hz]"
    {56, 1}, // "Depth [%]"
};

unsigned int presetOf(unsigned int index) {
    for (const ExpectedSlot& expected : kExpectedSlots) {
        if (expected.parameter == index)
            return expected.presetNumber;
    }
    return kUnbound;
}

TEST(QuorvelPreset, EffectParameterNumbersBelongToTheirProgramOnly) {
    ASSERT_EQ(std::size(kExpectedNumbers), std::size(kExpectedSlots));
    const QuorvelDocument document;
    for (const ExpectedNumber& expected : kExpectedNumbers) {
        const unsigned int owner = presetOf(expected.index);
        ASSERT_NE(owner, kUnbound) << expected.index;
        for (unsigned int n = 0; n < document.getPresetCount(); ++n) {
            const unsigned int k = document.getQuorvelPreset(n).getDspParameter(expected.index);
            EXPECT_EQ(k, n == owner ? expected.effectParameter : kUnbound)
                << "parameter " << expected.index << " in preset " << n;
        }
    }
    // The global parameters reach no effect through a preset, and neither does a stray index.
    for (unsigned int n = 0; n < document.getPresetCount(); ++n) {
        const QuorvelPreset& preset = document.getQuorvelPreset(n);
        for (long index : {0L, 1L, 2L, 3L, 4L, 57L, -1L, 65000L, (1L << 32) + 27}) {
            EXPECT_EQ(preset.getDspParameter(index), kUnbound) << index;
            EXPECT_EQ(preset.getParameterPosition(index), kUnbound) << index;
        }
    }
}

TEST(QuorvelPreset, DelaySpectralBandsWiring) {
    const QuorvelDocument document;
    const QuorvelPreset& preset = document.getQuorvelPreset(0);
    EXPECT_EQ(preset.getParameterPosition(27), 6u);
    EXPECT_EQ(preset.getParameterPosition(5), kUnbound);
    EXPECT_EQ(preset.getDspParameter(27), 0u);
    EXPECT_EQ(preset.getDspParameter(32), 5u);
}

TEST(QuorvelPreset, CarriesItsProgramsIdentityAndTheDefaultsOfItsParameters) {
    const QuorvelDocument document;
    for (unsigned int n = 0; n < document.getPresetCount(); ++n) {
        const QuorvelPreset& preset = document.getQuorvelPreset(n);
        const ProgramDescription& program = ProgramTable::program(n);
        EXPECT_EQ(preset.getId(), program.id);
        EXPECT_EQ(preset.getName(), program.name);
        EXPECT_EQ(preset.getCategory(), n < 7 ? KavCategoryIds::SFFT : KavCategoryIds::HLN);
        EXPECT_EQ(preset.getHelpText(), program.helpText);

        std::set<unsigned int> bound;
        for (unsigned int slot = 0; slot < QuorvelPreset::kSlotCount; ++slot) {
            if (preset.isSlotActive(slot))
                bound.insert(preset.getSlotParameter(slot));
        }
        std::set<unsigned int> valued;
        for (const auto& [index, value] : preset.getValues()) {
            valued.insert(index);
            EXPECT_EQ(value, document.getParameter(index)->getDetails().getDefault()) << index;
        }
        EXPECT_EQ(valued, bound) << "preset " << n;
    }
}

TEST(QuorvelPresetDeathTest, BindingABoundSlotAgainIsFatal) {
    QuorvelPreset preset(4, KavCategoryIds::SFFT, "Delay Spectral Bands", "");
    preset.bindSlot(6, 27, orvane::AnyValue(300.0f), 0, KavControlKind::Slider,
                    KavParamValueCurve::Linear);
    EXPECT_DEATH(preset.bindSlot(6, 29, orvane::AnyValue(500.0f), 2, KavControlKind::Slider,
                                 KavParamValueCurve::Linear),
                 "!ps->m_isActive\\[npos\\]");
    EXPECT_DEATH(preset.bindSlot(12, 29, orvane::AnyValue(500.0f), 2, KavControlKind::Slider,
                                 KavParamValueCurve::Linear),
                 "slot < kSlotCount");
}

TEST(QuorvelPreset, ANewPresetHasNoBoundSlot) {
    const QuorvelPreset preset(15, KavCategoryIds::HLN, "Robotization", "help");
    for (unsigned int slot = 0; slot < QuorvelPreset::kSlotCount; ++slot) {
        EXPECT_FALSE(preset.isSlotActive(slot));
        EXPECT_EQ(preset.getSlotParameter(slot), kUnbound);
        EXPECT_EQ(preset.getControlKind(slot), KavControlKind::Knob);
    }
    EXPECT_TRUE(preset.getValues().empty());
}

} // namespace
