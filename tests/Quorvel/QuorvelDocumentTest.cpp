#include "Quorvel/QuorvelDocument.hpp"

#include "Quorvel/ProgramParameters/ProgramTable.hpp"
#include "RecordingObserver.hpp"
#include "orvane/AnyDetails.hpp"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

constexpr unsigned int kUnbound = 65000;
constexpr const char* kAmount = nullptr; // the effect's mAmount rather than a named control
constexpr const char* kTc = "To change always to the current preset";
constexpr auto F = orvane::AnyValue::Float, I = orvane::AnyValue::Int, B = orvane::AnyValue::Bool;
constexpr auto Slider = KavControlKind::Slider, Knob = KavControlKind::Knob,
               Kick = KavControlKind::KickButton, OnOff = KavControlKind::OnOffButton;
constexpr auto AsIs = DspValueScaling::AsIs, Ratio = DspValueScaling::SemitonesToRatio,
               Per50 = DspValueScaling::DividedBy50, Per100 = DspValueScaling::DividedBy100;

// Every document parameter; for a program parameter also the preset of its program, its slot,
// control kind and curve there, and the number, control and scaling under which the program's
// effect receives it.
struct Row {
    unsigned int index;
    const char* name;
    const char* description;
    orvane::AnyValue::Type type;
    float defaultValue, minValue, maxValue; // Bool: 0 or 1
    unsigned int flags;
    unsigned int preset = kUnbound, slot = 0;
    KavControlKind kind = Knob;
    unsigned int curve = 0, effectParameter = 0;
    const char* control = kAmount;
    DspValueScaling scaling = AsIs;
};

// clang-format off
const Row kRows[] = {
    {0, "Gain", "The gain of the plugin", F, 1, 0, 1, 7},
    {1, "Dry/Wet", "The dry/wet ratio", F, 1, 0, 1, 7},
    {2, "CurrentPreset", "The current preset", I, 0, 0, 14, 4},
    {3, "Reserved", "", B, 0, 0, 1, 0},
    {4, "LevelClip", "Clipping", B, 0, 0, 1, 0},
    {5, "CentFrq [Hz]", kTc, I, 500, 20, 10000, 5, 5, 0, Knob, 1, 0, kAmount, AsIs},
    {6, "Bandwidth [semitone]", kTc, F, 12, 0, 24, 5, 5, 1, Knob, 0, 1, "Bandwidth", AsIs},
    {7, "Gain [dB]", kTc, F, -50, -90, 30, 7, 5, 8, Slider, 0, 2, "Gain", AsIs},
    {8, "LoRate [Hz]", "Rate", F, 4, 0, 12, 5, 3, 0, Knob, 0, 5, "LfFreq", AsIs},
    {9, "LoDepth [%]", "Depth", F, 25, 0, 100, 5, 3, 6, Slider, 0, 0, "LfWidth", Per50},
    {10, "MiRate [Hz]", "Rate", F, 6, 0, 12, 5, 3, 2, Knob, 0, 6, "MfFreq", AsIs},
    {11, "MiDepth [%]", "Depth", F, 25, 0, 100, 5, 3, 8, Slider, 0, 2, "MfWidth", Per50},
    {12, "HiRate [Hz]", "Rate", F, 8, 0, 12, 5, 3, 4, Knob, 0, 7, "HfFreq", AsIs},
    {13, "HiDepth [%]", "Depth", F, 20, 0, 100, 5, 3, 10, Slider, 0, 4, "HfWidth", Per50},
    {14, "Low Cutoff [Hz]", kTc, F, 500, 0, 10000, 5, 3, 1, Knob, 1, 1, "LowCutoff", AsIs},
    {15, "Hi Cutoff [Hz]", kTc, F, 2000, 0, 10000, 5, 3, 3, Knob, 1, 3, "HighCutoff", AsIs},
    {16, "LowGain [dB]", "Low gain", F, 0, -90, 30, 5, 4, 6, Slider, 0, 0, "LowGain", AsIs},
    {17, "Low Cutoff [Hz]", kTc, F, 500, 0, 10000, 5, 4, 1, Knob, 1, 1, "LowCutoff", AsIs},
    {18, "MidGain [dB]", "Mid gain", F, 0, -90, 30, 5, 4, 8, Slider, 0, 2, "MidGain", AsIs},
    {19, "HiGain [dB]", "Hi gain", F, 0, -90, 30, 5, 4, 10, Slider, 0, 4, "HighGain", AsIs},
    {20, "Hi Cutoff [Hz]", kTc, F, 3000, 0, 10000, 5, 4, 3, Knob, 1, 3, "HighCutoff", AsIs},
    {21, "LowDecay [sec]", kTc, F, 20, 0, 30, 5, 1, 6, Slider, 0, 0, "LowDecay", AsIs},
    {22, "Cutoff [Hz]", kTc, I, 1000, 20, 10000, 5, 1, 1, Knob, 1, 1, "HighCutoff", AsIs},
    {23, "HiDecay [sec]", kTc, F, 12, 0, 30, 5, 1, 8, Slider, 0, 2, "HighDecay", AsIs},
    {24, "Fire", kTc, B, 0, 0, 1, 5, 1, 3, OnOff, 0, 3, "Fire", AsIs},
    {25, "Reset", kTc, B, 0, 0, 1, 5, 1, 4, Kick, 0, 4, "Reset", AsIs},
    {26, "HoldTime [ms]", kTc, F, 200, 0, 1000, 5, 2, 6, Slider, 0, 0, kAmount, AsIs},
    {27, "LoDelay [ms]", "Low delay", F, 300, 0, 10000, 5, 0, 6, Slider, 0, 0, "LowDelay", AsIs},
    {28, "Low Cutoff [Hz]", kTc, F, 500, 0, 10000, 5, 0, 1, Knob, 1, 1, "LowCutoff", AsIs},
    {29, "MiDelay [ms]", "Low delay", F, 500, 0, 10000, 5, 0, 8, Slider, 0, 2, "MidDelay", AsIs},
    {30, "HiDelay [ms]", "Low delay", F, 100, 0, 10000, 5, 0, 10, Slider, 0, 4, "HighDelay", AsIs},
    {31, "Hi Cutoff [Hz]", kTc, F, 2000, 0, 10000, 5, 0, 3, Knob, 1, 3, "HighCutoff", AsIs},
    {32, "LoFeedbk [%]", kTc, F, 30, 0, 100, 5, 0, 0, Knob, 0, 5, "LowFeedback", AsIs},
    {33, "MiFeedbk [%]", kTc, F, 30, 0, 100, 5, 0, 2, Knob, 0, 6, "MidFeedback", AsIs},
    {34, "HiFeedbk [%]", kTc, F, 30, 0, 100, 5, 0, 4, Knob, 0, 7, "HighFeedback", AsIs},
    {35, "CentFrq [Hz]", kTc, I, 1000, 20, 10000, 5, 6, 0, Knob, 1, 0, kAmount, AsIs},
    {36, "Bandwidth [semitone]", kTc, F, 12, 0, 24, 5, 6, 1, Knob, 0, 1, "Bandwidth", AsIs},
    {37, "Gain [dB]", kTc, F, -48, -90, 30, 5, 6, 8, Slider, 0, 2, "Gain", AsIs},
    {38, "Rate [hz]", kTc, F, 0.2, 0, 5, 5, 6, 3, Knob, 0, 3, "OscFreq", AsIs},
    {39, "Depth [%]", kTc, F, 50, 0, 100, 5, 6, 10, Slider, 0, 4, "OscWidth", AsIs},
    {40, "Transpose [semitone]", "Transpose", F, 3, -12, 12, 5, 7, 0, Knob, 0, 0, kAmount, Ratio},
    {41, "VoiceThrld [%]", "Voice Threshold", F, 10, 0, 100, 5, 7, 7, Slider, 0, 1, "Error", AsIs},
    {42, "Pitch [Hz]", "unused", I, 220, 20, 10000, 5, 14, 6, Slider, 1, 0, kAmount, AsIs},
    {43, "Correction [%]", "Correction", F, 100, 0, 100, 5, 9, 0, Knob, 0, 0, kAmount, AsIs},
    {44, "Rate [%]", "Rate", F, 25, 0, 100, 5, 9, 7, Slider, 0, 1, "Rate", AsIs},
    {45, "SinGain [dB]", "Transpose", F, -90, -90, 30, 5, 11, 6, Slider, 0, 0, kAmount, AsIs},
    {46, "NoisGain [dB]", "Voice Threshold", F, 0, -90, 30, 5, 11, 7, Slider, 0, 1, "Residual", AsIs},
    {47, "VoiceThrld [%]", "VoiceThrld", F, 25, 0, 100, 5, 10, 0, Knob, 0, 0, kAmount, AsIs},
    {48, "Pitch1 [semitone]", "Pitch", F, -5, -12, 12, 5, 8, 0, Knob, 0, 0,
     "Transposition1", Ratio},
    {49, "Gain1 [dB]", "Gain", F, -10, -90, 0, 5, 8, 7, Slider, 0, 1, "Gain1", AsIs},
    {50, "Delay1 [ms]", "Delay", F, 3, 0, 500, 5, 8, 8, Slider, 0, 2, "Delay1", AsIs},
    {51, "Pitch2 [semitone]", "Pitch", F, 3, -12, 12, 5, 8, 3, Knob, 0, 3,
     "Transposition2", Ratio},
    {52, "Gain2 [dB]", "Gain", F, -10, -90, 0, 5, 8, 10, Slider, 0, 4, "Gain2", AsIs},
    {53, "Delay2 [ms]", "Delay", F, 6, 0, 500, 5, 8, 11, Slider, 0, 5, "Delay2", AsIs},
    {54, "Amount [Hz]", "Amount", I, 200, 20, 10000, 5, 12, 0, Knob, 0, 0, kAmount, AsIs},
    {55, "LFO Rate [Hz]", "Rate", F, 5, 0, 10, 5, 13, 0, Knob, 0, 0, "Freq", AsIs},
    {56, "Depth [%]", "Depth", F, 5, 0, 100, 5, 13, 7, Slider, 0, 1, "Width", Per100},
};
// clang-format on

struct Program {
    unsigned int id;
    KavCategoryIds family;
    const char* name;
    const char* dspClassName;
    const char* helpText;
};

constexpr auto SFFT = KavCategoryIds::SFFT, HLN = KavCategoryIds::HLN;

// By preset number.
const Program kPrograms[] = {
    {4, SFFT, "Delay Spectral Bands", "SpectralDelay",
     "Independent delay on three frequency bands. Split into three bands using the two Cutoff "
     "knobs. Sliders control the delays; Feedbk knobs control the feedback. Try various Delay "
     "times and Wet/Dry settings."},
    {7, SFFT, "Spectral Freeze", "SpectralFreeze",
     "Freeze the audio, with separate decay rates for low & high bands. Cutoff knob divides the "
     "signal into two bands; sliders set decay times for each band. Fire activates the effect, and "
     "Reset resumes normal playback. Try different Wet/Dry settings."},
    {8, SFFT, "Sample & Hold", "SampleAndHold",
     "Freeze and hold the sound for the HoldTime specified in milliseconds. (A HoldTime of 0 "
     "produces the original sound.) Try different Wet/Dry settings."},
    {6, SFFT, "3 AM", "SpectralAM",
     "Modulates the amplitude spectrum for a tremolo effect. LFO Rate controls the modulation "
     "speed in Hz; Depth controls the modulation amplitude. Set Wet/Dry to 1.0."},
    {5, SFFT, "3-Band Filter", "ThreeBandFilter",
     "Adjust the gain of each band separately. Define the three bands with the two Cutoff knobs. "
     "Use the sliders to apply a different gain to each band. Set Wet/Dry to 1.0, and reduce the "
     "output Gain if needed to avoid clipping."},
    {0, SFFT, "Spectral Peak/Notch", "SpectralNotch",
     "Band-pass filter boosts or attenuates an arbitrarily narrow frequency band. Set center "
     "frequency (CentFrq) in Hz, Bandwidth in semitones, and Gain in dB. Set Wet/Dry to 1.0, and "
     "reduce the output Gain if needed to avoid clipping."},
    {1, SFFT, "Oscillating Peak/Notch", "OscillatingSpectralNotch",
     "Peak/Notch with an oscillating center frequency (CentFrq). Set Bandwidth in semitones and "
     "the desired Gain/attenuation. Rate controls oscillation frequency; Depth controls how wide "
     "the oscillation is (100% oscillates between 0 and CentFrq x 2)."},
    {2, HLN, "Pitch Shift", "HLNPitchShift",
     "Transposition with timbre preservation. The knob sets the transposition amount. Voice "
     "Threshold controls how much pitch error is allowed: low values give better results, but "
     "hard-to-track signals may need higher values to avoid artifacts."},
    {11, HLN, "Harmonize", "HLNHarmonizer",
     "Given a single original solo voice, add two accompanying voices with different pitch, gain "
     "and delay values. Lower Wet/Dry to hear three voices at once."},
    {9, HLN, "Pitch Quantizer", "HLNPitchDiscretization",
     "Quantizes each note to the nearest semitone for pitch correction or an interesting vocal "
     "effect. Correction knob controls how much a note can move within a semitone; Rate controls "
     "rate of correction. Reduce Wet/Dry for a choral effect."},
    {14, HLN, "Pitch Isolate", "HLNPitchIsolate",
     "Isolates the tonal part of the sound. The Voice Threshold slider controls how much pitch "
     "error is tolerated. Use low values for better quality, but hard-to-track signals may need "
     "higher thresholds to avoid artifacts. Set Wet/Dry to 1.0."},
    {10, HLN, "Sine / Noise", "HLNSinusoidalGain",
     "Separates the signal into harmonic sound and natural noise. Set the desired Gain in dB for "
     "each component."},
    {12, HLN, "Spectral Shapeshifter", "HLNSpectralShapeShift",
     "Shift the spectral envelope shape (formants) without affecting the pitch. Try different "
     "Wet/Dry settings."},
    {13, HLN, "Vibrato", "HLNVibrato",
     "Separates the sound into sinusoidal & residual components, and modulates only the sinusoidal "
     "component. Rate controls the oscillation speed; Depth controls the oscillation amplitude. "
     "Wet/Dry mix can give a pleasant vibrato/chorus effect."},
    {15, HLN, "Robotization", "HLNRobotization",
     "Changes the pitch to a fixed frequency for a robotic effect. Set the frequency using the "
     "Pitch control. Wet/Dry mix can give a nice drone effect."},
};

TEST(QuorvelDocument, BuildsEveryParameterAtItsDefaultAndWiresItIntoItsProgram) {
    const QuorvelDocument document;
    ASSERT_EQ(document.GetNumberOfParameters(), 57u);
    ASSERT_EQ(std::size(kRows), 57u);
    for (const Row& row : kRows) {
        SCOPED_TRACE("parameter " + std::to_string(row.index));
        const orvane::Parameter& parameter = *document.getParameter(row.index);
        const orvane::AnyDetails& details = parameter.getDetails();
        EXPECT_EQ(details.getName(), row.name);
        EXPECT_EQ(details.getDescription(), row.description);
        EXPECT_EQ(details.getFlags(), row.flags);
        ASSERT_EQ(details.getType(), row.type);
        EXPECT_EQ(parameter.getValue(), details.getDefault());
        if (row.type == F) {
            EXPECT_EQ(details.getFloatDetails()->getDefault(), row.defaultValue);
            EXPECT_EQ(details.getFloatDetails()->getMinValue(), row.minValue);
            EXPECT_EQ(details.getFloatDetails()->getMaxValue(), row.maxValue);
        } else if (row.type == I) {
            EXPECT_EQ(details.getIntDetails()->getDefault(), row.defaultValue);
            EXPECT_EQ(details.getIntDetails()->getMinValue(), row.minValue);
            EXPECT_EQ(details.getIntDetails()->getMaxValue(), row.maxValue);
        } else {
            EXPECT_EQ(details.getBoolDetails()->getDefault(), row.defaultValue != 0.0f);
        }

        const ProgramParameterDescription* wiring = ProgramTable::programParameter(row.index);
        if (row.preset == kUnbound) {
            EXPECT_EQ(wiring, nullptr);
            continue;
        }
        // Only the parameter's own program has it on a slot and passes it to its effect.
        for (unsigned int n = 0; n < document.getPresetCount(); ++n) {
            const QuorvelPreset& preset = document.getQuorvelPreset(n);
            const bool own = n == row.preset;
            EXPECT_EQ(preset.getParameterPosition(row.index), own ? row.slot : kUnbound) << n;
            EXPECT_EQ(preset.getDspParameter(row.index), own ? row.effectParameter : kUnbound) << n;
        }
        const QuorvelPreset& preset = document.getQuorvelPreset(row.preset);
        EXPECT_TRUE(preset.isSlotActive(row.slot));
        EXPECT_EQ(preset.getSlotParameter(row.slot), row.index);
        EXPECT_EQ(preset.getControlKind(row.slot), row.kind);
        EXPECT_EQ(static_cast<unsigned int>(preset.getCurve(row.slot)), row.curve);
        EXPECT_EQ(preset.getValues().at(row.index), details.getDefault());
        ASSERT_NE(wiring, nullptr);
        EXPECT_STREQ(wiring->effectControl, row.control); // both null for mAmount
        EXPECT_EQ(wiring->scaling, row.scaling);
    }
}

TEST(QuorvelDocument, BuildsOnePresetPerProgramStartingWithTheFirst) {
    const QuorvelDocument document;
    ASSERT_EQ(document.getPresetCount(), 15u);
    EXPECT_EQ(document.getCurrentPresetNumber(), 0u);
    for (unsigned int n = 0; n < 15; ++n) {
        const Program& expected = kPrograms[n];
        SCOPED_TRACE(expected.name);
        const QuorvelPreset& preset = document.getQuorvelPreset(n);
        EXPECT_EQ(preset.getId(), expected.id);
        EXPECT_EQ(preset.getName(), expected.name);
        EXPECT_EQ(preset.getCategory(), expected.family);
        EXPECT_STREQ(ProgramTable::program(n).dspClassName, expected.dspClassName);
        EXPECT_EQ(preset.getHelpText(), expected.helpText);
        // A slot is bound exactly when a row above puts a parameter of this program on it.
        std::set<unsigned int> bound;
        for (unsigned int slot = 0; slot < QuorvelPreset::kSlotCount; ++slot) {
            if (!preset.isSlotActive(slot)) {
                EXPECT_EQ(preset.getSlotParameter(slot), kUnbound) << slot;
                EXPECT_EQ(preset.getControlKind(slot), Knob) << slot;
                continue;
            }
            bound.insert(preset.getSlotParameter(slot));
            EXPECT_EQ(kRows[preset.getSlotParameter(slot)].preset, n) << slot;
        }
        EXPECT_EQ(preset.getValues().size(), bound.size());
        // Neither the global parameters nor indices outside the table (even ones that would
        // wrap onto a parameter in 32 bits) reach a slot or an effect.
        for (long index : {0L, 1L, 2L, 3L, 4L, 57L, -1L, 65000L, (1L << 32) + 27}) {
            EXPECT_EQ(preset.getDspParameter(index), kUnbound) << index;
            EXPECT_EQ(preset.getParameterPosition(index), kUnbound) << index;
        }
    }
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
    void set(unsigned int index, bool on, orvane::Interface& source) {
        log.clear();
        document.updateParameter(index, orvane::AnyValue(on), &source);
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

TEST_F(QuorvelDocumentObserved, FreezeButtonsLatchUntilReset) {
    // Reset while Fire is off changes nothing and tells nobody.
    set(ParameterIndex::Reset, true, editor);
    EXPECT_FALSE(value(ParameterIndex::Reset));
    EXPECT_TRUE(log.empty());

    set(ParameterIndex::Fire, true, editor);
    EXPECT_TRUE(value(ParameterIndex::Fire));
    EXPECT_EQ(log, (Log{"host changed 24=1", "engine changed 24=1"}));

    // Fire cannot be switched off; its source is told it is still on.
    set(ParameterIndex::Fire, false, editor);
    EXPECT_TRUE(value(ParameterIndex::Fire));
    EXPECT_EQ(log, (Log{"editor changed 24=1", "host changed 24=1", "engine changed 24=1"}));

    // Reset reaches the engine as 1; the editor, though the source, and the host see both off.
    set(ParameterIndex::Reset, true, editor);
    EXPECT_FALSE(value(ParameterIndex::Fire));
    EXPECT_FALSE(value(ParameterIndex::Reset));
    EXPECT_EQ(log, (Log{"host changed 25=1", "engine changed 25=1", "host changed 24=0",
                        "host changed 25=0", "editor changed 24=0", "editor changed 25=0"}));

    // Released: Reset is ignored again until Fire is set.
    set(ParameterIndex::Reset, true, host);
    EXPECT_TRUE(log.empty());
}

TEST(QuorvelDocumentDeathTest, IndicesBeyondTheTablesAndRebindingASlotAreFatal) {
    QuorvelDocument document;
    EXPECT_DEATH(document.activateProgram(15), "program < getPresetCount\\(\\)");
    EXPECT_DEATH(ProgramTable::parameter(57), "index < kParameterCount");
    EXPECT_DEATH(ProgramTable::program(15), "presetNumber < kProgramCount");
    QuorvelPreset preset(4, SFFT, "Delay Spectral Bands", "");
    preset.bindSlot(6, 27, orvane::AnyValue(300.0f), 0, Slider, KavParamValueCurve::Linear);
    EXPECT_DEATH(
        preset.bindSlot(6, 29, orvane::AnyValue(500.0f), 2, Slider, KavParamValueCurve::Linear),
        "!ps->m_isActive\\[npos\\]");
    EXPECT_DEATH(
        preset.bindSlot(12, 29, orvane::AnyValue(500.0f), 2, Slider, KavParamValueCurve::Linear),
        "slot < kSlotCount");
}

} // namespace
