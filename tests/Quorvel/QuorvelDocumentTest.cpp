#include "Quorvel/QuorvelDocument.hpp"

#include "Quorvel/ProgramParameters/ProgramTable.hpp"
#include "RecordingObserver.hpp"
#include "orvane/AnyDetails.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct ExpectedParameter {
    unsigned int index;
    const char* name;
    const char* description;
    orvane::AnyValue::Type type;
    float defaultValue; // Bool: 0 or 1
    float minValue;     // Bool: 0
    float maxValue;     // Bool: 1
    unsigned int flags;
};

const ExpectedParameter kExpectedParameters[] = {
    {0, "Gain", "The gain of the plugin", orvane::AnyValue::Float, 1, 0, 1, 7},
    {1, "Dry/Wet", "The dry/wet ratio", orvane::AnyValue::Float, 1, 0, 1, 7},
    {2, "CurrentPreset", "The current preset", orvane::AnyValue::Int, 0, 0, 14, 4},
    {3, "Reserved", "", orvane::AnyValue::Bool, 0, 0, 1, 0},
    {4, "LevelClip", "Clipping", orvane::AnyValue::Bool, 0, 0, 1, 0},
    {5, "CentFrq [Hz]", "To change always to the current preset", orvane::AnyValue::Int, 500, 20,
     10000, 5},
    {6, "Bandwidth [semitone]", "To change always to the current preset", orvane::AnyValue::Float,
     12, 0, 24, 5},
    {7, "Gain [dB]", "To change always to the current preset", orvane::AnyValue::Float, -50, -90,
     30, 7},
    {8, "LoRate [Hz]", "Rate", orvane::AnyValue::Float, 4, 0, 12, 5},
    {9, "LoDepth [%]", "Depth", orvane::AnyValue::Float, 25, 0, 100, 5},
    {10, "MiRate [Hz]", "Rate", orvane::AnyValue::Float, 6, 0, 12, 5},
    {11, "MiDepth [%]", "Depth", orvane::AnyValue::Float, 25, 0, 100, 5},
    {12, "HiRate [Hz]", "Rate", orvane::AnyValue::Float, 8, 0, 12, 5},
    {13, "HiDepth [%]", "Depth", orvane::AnyValue::Float, 20, 0, 100, 5},
    {14, "Low Cutoff [Hz]", "To change always to the current preset", orvane::AnyValue::Float, 500,
     0, 10000, 5},
    {15, "Hi Cutoff [Hz]", "To change always to the current preset", orvane::AnyValue::Float, 2000,
     0, 10000, 5},
    {16, "LowGain [dB]", "Low gain", orvane::AnyValue::Float, 0, -90, 30, 5},
    {17, "Low Cutoff [Hz]", "To change always to the current preset", orvane::AnyValue::Float, 500,
     0, 10000, 5},
    {18, "MidGain [dB]", "Mid gain", orvane::AnyValue::Float, 0, -90, 30, 5},
    {19, "HiGain [dB]", "Hi gain", orvane::AnyValue::Float, 0, -90, 30, 5},
    {20, "Hi Cutoff [Hz]", "To change always to the current preset", orvane::AnyValue::Float, 3000,
     0, 10000, 5},
    {21, "LowDecay [sec]", "To change always to the current preset", orvane::AnyValue::Float, 20, 0,
     30, 5},
    {22, "Cutoff [Hz]", "To change always to the current preset", orvane::AnyValue::Int, 1000, 20,
     10000, 5},
    {23, "HiDecay [sec]", "To change always to the current preset", orvane::AnyValue::Float, 12, 0,
     30, 5},
    {24, "Fire", "To change always to the current preset", orvane::AnyValue::Bool, 0, 0, 1, 5},
    {25, "Reset", "To change always to the current preset", orvane::AnyValue::Bool, 0, 0, 1, 5},
    {26, "HoldTime [ms]", "To change always to the current preset", orvane::AnyValue::Float, 200, 0,
     1000, 5},
    {27, "LoDelay [ms]", "Low delay", orvane::AnyValue::Float, 300, 0, 10000, 5},
    {28, "Low Cutoff [Hz]", "To change always to the current preset", orvane::AnyValue::Float, 500,
     0, 10000, 5},
    {29, "MiDelay [ms]", "Low delay", orvane::AnyValue::Float, 500, 0, 10000, 5},
    {30, "HiDelay [ms]", "Low delay", orvane::AnyValue::Float, 100, 0, 10000, 5},
    {31, "Hi Cutoff [Hz]", "To change always to the current preset", orvane::AnyValue::Float, 2000,
     0, 10000, 5},
    {32, "LoFeedbk [%]", "To change always to the current preset", orvane::AnyValue::Float, 30, 0,
     100, 5},
    {33, "MiFeedbk [%]", "To change always to the current preset", orvane::AnyValue::Float, 30, 0,
     100, 5},
    {34, "HiFeedbk [%]", "To change always to the current preset", orvane::AnyValue::Float, 30, 0,
     100, 5},
    {35, "CentFrq [Hz]", "To change always to the current preset", orvane::AnyValue::Int, 1000, 20,
     10000, 5},
    {36, "Bandwidth [semitone]", "To change always to the current preset", orvane::AnyValue::Float,
     12, 0, 24, 5},
    {37, "Gain [dB]", "To change always to the current preset", orvane::AnyValue::Float, -48, -90,
     30, 5},
    {38, "Rate [hz]", "To change always to the current preset", orvane::AnyValue::Float, 0.2f, 0, 5,
     5},
    {39, "Depth [%]", "To change always to the current preset", orvane::AnyValue::Float, 50, 0, 100,
     5},
    {40, "Transpose [semitone]", "Transpose", orvane::AnyValue::Float, 3, -12, 12, 5},
    {41, "VoiceThrld [%]", "Voice Threshold", orvane::AnyValue::Float, 10, 0, 100, 5},
    {42, "Pitch [Hz]", "unused", orvane::AnyValue::Int, 220, 20, 10000, 5},
    {43, "Correction [%]", "Correction", orvane::AnyValue::Float, 100, 0, 100, 5},
    {44, "Rate [%]", "Rate", orvane::AnyValue::Float, 25, 0, 100, 5},
    {45, "SinGain [dB]", "Transpose", orvane::AnyValue::Float, -90, -90, 30, 5},
    {46, "NoisGain [dB]", "Voice Threshold", orvane::AnyValue::Float, 0, -90, 30, 5},
    {47, "VoiceThrld [%]", "VoiceThrld", orvane::AnyValue::Float, 25, 0, 100, 5},
    {48, "Pitch1 [semitone]", "Pitch", orvane::AnyValue::Float, -5, -12, 12, 5},
    {49, "Gain1 [dB]", "Gain", orvane::AnyValue::Float, -10, -90, 0, 5},
    {50, "Delay1 [ms]", "Delay", orvane::AnyValue::Float, 3, 0, 500, 5},
    {51, "Pitch2 [semitone]", "Pitch", orvane::AnyValue::Float, 3, -12, 12, 5},
    {52, "Gain2 [dB]", "Gain", orvane::AnyValue::Float, -10, -90, 0, 5},
    {53, "Delay2 [ms]", "Delay", orvane::AnyValue::Float, 6, 0, 500, 5},
    {54, "Amount [Hz]", "Amount", orvane::AnyValue::Int, 200, 20, 10000, 5},
    {55, "LFO Rate [Hz]", "Rate", orvane::AnyValue::Float, 5, 0, 10, 5},
    {56, "Depth [%]", "Depth", orvane::AnyValue::Float, 5, 0, 100, 5},
};

void expectDescribed(const orvane::Parameter& parameter, const ExpectedParameter& expected) {
    const orvane::AnyDetails& details = parameter.getDetails();
    EXPECT_EQ(details.getName(), expected.name);
    EXPECT_EQ(details.getDescription(), expected.description);
    EXPECT_EQ(details.getFlags(), expected.flags);
    EXPECT_EQ(details.getIndex(), static_cast<int>(expected.index));
    ASSERT_EQ(details.getType(), expected.type);
    EXPECT_EQ(parameter.getValue(), details.getDefault());
    switch (expected.type) {
    case orvane::AnyValue::Float:
        EXPECT_EQ(details.getFloatDetails()->getDefault(), expected.defaultValue);
        EXPECT_EQ(details.getFloatDetails()->getMinValue(), expected.minValue);
        EXPECT_EQ(details.getFloatDetails()->getMaxValue(), expected.maxValue);
        break;
    case orvane::AnyValue::Int:
        EXPECT_EQ(details.getIntDetails()->getDefault(), expected.defaultValue);
        EXPECT_EQ(details.getIntDetails()->getMinValue(), expected.minValue);
        EXPECT_EQ(details.getIntDetails()->getMaxValue(), expected.maxValue);
        break;
    default:
        EXPECT_EQ(details.getBoolDetails()->getDefault(), expected.defaultValue != 0.0f);
        break;
    }
}

TEST(QuorvelDocument, BuildsAllParametersAtTheirDefaults) {
    const QuorvelDocument document;
    ASSERT_EQ(document.GetNumberOfParameters(), 57u);
    ASSERT_EQ(std::size(kExpectedParameters), 57u);
    for (const ExpectedParameter& expected : kExpectedParameters) {
        SCOPED_TRACE("parameter " + std::to_string(expected.index));
        expectDescribed(*document.getParameter(expected.index), expected);
        // The table that listings and plug-in metadata read says the same.
        const ParameterDescription& row = ProgramTable::parameter(expected.index);
        EXPECT_STREQ(row.name, expected.name);
        EXPECT_EQ(row.defaultValue, expected.defaultValue);
    }
}

TEST(QuorvelDocument, BuildsOnePresetPerProgramStartingWithTheFirst) {
    const QuorvelDocument document;
    ASSERT_EQ(document.getPresetCount(), 15u);
    EXPECT_EQ(document.getCurrentPresetNumber(), 0u);
    EXPECT_EQ(document.getCurrentPreset().getName(), "Delay Spectral Bands");
    for (unsigned int n = 0; n < 15; ++n)
        EXPECT_EQ(document.getPreset(n), &document.getQuorvelPreset(n));
}

class QuorvelDocumentObserved : public ::testing::Test {
protected:
    // Registered in the order the plug-in registers them: host map, engine, editor.
    QuorvelDocument document;
    std::vector<std::string> log;
    RecordingObserver host{QuorvelDocument::kAutomationObserverId, document, "host", log};
    RecordingObserver engine{QuorvelDocument::kEngineObserverId, document, "engine", log};
    RecordingObserver editor{QuorvelDocument::kEditorObserverId, document, "editor", log};

    bool value(unsigned int index) const {
        return document.getParameter(index)->getValue().GetBool();
    }
    void fire() {
        document.updateParameter(ParameterIndex::Fire, orvane::AnyValue(true), &host);
        log.clear();
    }
};

using Log = std::vector<std::string>;

TEST_F(QuorvelDocumentObserved, ActivatingAProgramSuspendsAllBeforeAnyPresetChange) {
    document.activateProgram(8);
    EXPECT_EQ(document.getCurrentPresetNumber(), 8u);
    EXPECT_EQ(log, (Log{"host suspend 1", "engine suspend 1", "editor suspend 1", "host preset",
                        "engine preset", "editor preset", "host suspend 0", "engine suspend 0",
                        "editor suspend 0"}));
}

TEST_F(QuorvelDocumentObserved, ResetWhileFireIsOffChangesNothingAndTellsNobody) {
    document.updateParameter(ParameterIndex::Reset, orvane::AnyValue(true), &editor);
    EXPECT_FALSE(value(ParameterIndex::Reset));
    EXPECT_TRUE(log.empty());
}

TEST_F(QuorvelDocumentObserved, FireSwitchesOnLikeAnyParameter) {
    document.updateParameter(ParameterIndex::Fire, orvane::AnyValue(true), &editor);
    EXPECT_TRUE(value(ParameterIndex::Fire));
    EXPECT_EQ(log, (Log{"host changed 24=1", "engine changed 24=1"}));
}

TEST_F(QuorvelDocumentObserved, FireCannotBeSwitchedOffAndItsSourceIsToldItIsStillOn) {
    fire();
    document.updateParameter(ParameterIndex::Fire, orvane::AnyValue(false), &editor);
    EXPECT_TRUE(value(ParameterIndex::Fire));
    EXPECT_EQ(log, (Log{"editor changed 24=1", "host changed 24=1", "engine changed 24=1"}));
}

TEST_F(QuorvelDocumentObserved, ResetWhileFireIsOnReachesTheEngineAndReleasesBothButtons) {
    fire();
    document.updateParameter(ParameterIndex::Reset, orvane::AnyValue(true), &editor);
    EXPECT_FALSE(value(ParameterIndex::Fire));
    EXPECT_FALSE(value(ParameterIndex::Reset));
    // The engine keeps Reset = 1; the editor, though the source, and the host see both off.
    EXPECT_EQ(log, (Log{"host changed 25=1", "engine changed 25=1", "host changed 24=0",
                        "host changed 25=0", "editor changed 24=0", "editor changed 25=0"}));

    // Released: Fire may be set again, and Reset is ignored until it is.
    log.clear();
    document.updateParameter(ParameterIndex::Reset, orvane::AnyValue(true), &host);
    EXPECT_TRUE(log.empty());
}

TEST(QuorvelDocumentDeathTest, ActivatingAProgramThatDoesNotExistIsFatal) {
    QuorvelDocument document;
    EXPECT_DEATH(document.activateProgram(15), "program < getPresetCount\\(\\)");
}

} // namespace
