#include "Quorvel/ProgramParameters/ProgramTable.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

struct ExpectedProgram {
    unsigned int presetNumber;
    unsigned int id;
    KavCategoryIds category;
    const char* name;
    const char* dspClassName;
};

const ExpectedProgram kExpectedPrograms[] = {
    {0, 4, KavCategoryIds::SFFT, "Delay Spectral Bands", "SpectralDelay"},
    {1, 7, KavCategoryIds::SFFT, "Spectral Freeze", "SpectralFreeze"},
    {2, 8, KavCategoryIds::SFFT, "Sample & Hold", "SampleAndHold"},
    {3, 6, KavCategoryIds::SFFT, "3 AM", "SpectralAM"},
    {4, 5, KavCategoryIds::SFFT, "3-Band Filter", "ThreeBandFilter"},
    {5, 0, KavCategoryIds::SFFT, "Spectral Peak/Notch", "SpectralNotch"},
    {6, 1, KavCategoryIds::SFFT, "Oscillating Peak/Notch", "OscillatingSpectralNotch"},
    {7, 2, KavCategoryIds::HLN, "Pitch Shift", "HLNPitchShift"},
    {8, 11, KavCategoryIds::HLN, "Harmonize", "HLNHarmonizer"},
    {9, 9, KavCategoryIds::HLN, "Pitch Quantizer", "HLNPitchDiscretization"},
    {10, 14, KavCategoryIds::HLN, "Pitch Isolate", "HLNPitchIsolate"},
    {11, 10, KavCategoryIds::HLN, "Sine / Noise", "HLNSinusoidalGain"},
    {12, 12, KavCategoryIds::HLN, "Spectral Shapeshifter", "HLNSpectralShapeShift"},
    {13, 13, KavCategoryIds::HLN, "Vibrato", "HLNVibrato"},
    {14, 15, KavCategoryIds::HLN, "Robotization", "HLNRobotization"},
};

TEST(ProgramTable, ProgramsAreListedByPresetNumberWithIdFamilyNameAndEffectClass) {
    ASSERT_EQ(std::size(kExpectedPrograms), ProgramTable::kProgramCount);
    for (const ExpectedProgram& expected : kExpectedPrograms) {
        SCOPED_TRACE(expected.name);
        const ProgramDescription& program = ProgramTable::program(expected.presetNumber);
        EXPECT_EQ(program.presetNumber, expected.presetNumber);
        EXPECT_EQ(program.id, expected.id);
        EXPECT_EQ(program.category, expected.category);
        EXPECT_STREQ(program.name, expected.name);
        EXPECT_STREQ(program.dspClassName, expected.dspClassName);
    }
}

struct ExpectedHelp {
    const char* program;
    const char* helpText;
};

const ExpectedHelp kExpectedHelp[] = {
    {"Delay Spectral Bands", "Independent delay on three frequency bands. Split into three bands "
                             "using the two Cutoff knobs. Sliders control the delays; Feedbk knobs "
                             "control the feedback. Try various Delay times and Wet/Dry settings."},
    {"Spectral Freeze",
     "Freeze the audio, with separate decay rates for low & high bands. Cutoff knob divides the "
     "signal into two bands; sliders set decay times for each band. Fire activates the effect, and "
     "Reset resumes normal playback. Try different Wet/Dry settings."},
    {"Sample & Hold",
     "Freeze and hold the sound for the HoldTime specified in milliseconds. (A HoldTime of 0 "
     "produces the original sound.) Try different Wet/Dry settings."},
    {"3 AM",
     "Modulates the amplitude spectrum for a tremolo effect. LFO Rate controls the modulation "
     "speed in Hz; Depth controls the modulation amplitude. Set Wet/Dry to 1.0."},
    {"3-Band Filter",
     "Adjust the gain of each band separately. Define the three bands with the two Cutoff knobs. "
     "Use the sliders to apply a different gain to each band. Set Wet/Dry to 1.0, and reduce the "
     "output Gain if needed to avoid clipping."},
    {"Spectral Peak/Notch",
     "Band-pass filter boosts or attenuates an arbitrarily narrow frequency band. Set center "
     "frequency (CentFrq) in Hz, Bandwidth in semitones, and Gain in dB. Set Wet/Dry to 1.0, and "
     "reduce the output Gain if needed to avoid clipping."},
    {"Oscillating Peak/Notch",
     "Peak/Notch with an oscillating center frequency (CentFrq). Set Bandwidth in semitones and "
     "the desired Gain/attenuation. Rate controls oscillation frequency; Depth controls how wide "
     "the oscillation is (100% oscillates between 0 and CentFrq x 2)."},
    {"Pitch Shift",
     "Transposition with timbre preservation. The knob sets the transposition amount. Voice "
     "Threshold controls how much pitch error is allowed: low values give better results, but "
     "hard-to-track signals may need higher values to avoid artifacts."},
    {"Harmonize", "Given a single original solo voice, add two accompanying voices with different "
                  "pitch, gain and delay values. Lower Wet/Dry to hear three voices at once."},
    {"Pitch Quantizer",
     "Quantizes each note to the nearest semitone for pitch correction or an interesting vocal "
     "effect. Correction knob controls how much a note can move within a semitone; Rate controls "
     "rate of correction. Reduce Wet/Dry for a choral effect."},
    {"Pitch Isolate",
     "Isolates the tonal part of the sound. The Voice Threshold slider controls how much pitch "
     "error is tolerated. Use low values for better quality, but hard-to-track signals may need "
     "higher thresholds to avoid artifacts. Set Wet/Dry to 1.0."},
    {"Sine / Noise", "Separates the signal into harmonic sound and natural noise. Set the desired "
                     "Gain in dB for each component."},
    {"Spectral Shapeshifter", "Shift the spectral envelope shape (formants) without affecting the "
                              "pitch. Try different Wet/Dry settings."},
    {"Vibrato", "Separates the sound into sinusoidal & residual components, and modulates only the "
                "sinusoidal component. Rate controls the oscillation speed; Depth controls the "
                "oscillation amplitude. Wet/Dry mix can give a pleasant vibrato/chorus effect."},
    {"Robotization",
     "Changes the pitch to a fixed frequency for a robotic effect. Set the frequency using the "
     "Pitch control. Wet/Dry mix can give a nice drone effect."},
};

TEST(ProgramTable, EveryProgramHasItsHelpText) {
    ASSERT_EQ(std::size(kExpectedHelp), ProgramTable::kProgramCount);
    for (const ExpectedHelp& expected : kExpectedHelp) {
        const ProgramDescription* program = ProgramTable::findProgram(expected.program);
        ASSERT_NE(program, nullptr) << expected.program;
        EXPECT_STREQ(program->helpText, expected.helpText) << expected.program;
    }
}

// The effect parameter number k, the effect's input control (nullptr: its mAmount) and the
// scaling of every program parameter, as the engine delivers them.
struct ExpectedRoute {
    unsigned int index;
    unsigned int effectParameter;
    const char* control;
    DspValueScaling scaling;
};

const ExpectedRoute kExpectedRoutes[] = {
    {27, 0, "LowDelay", DspValueScaling::AsIs},                   // "LoDelay [ms]"
    {28, 1, "LowCutoff", DspValueScaling::AsIs},                  // "Low Cutoff [Hz]"
    {29, 2, "MidDelay", DspValueScaling::AsIs},                   // "MiDelay [ms]"
    {31, 3, "HighCutoff", DspValueScaling::AsIs},                 // "Hi Cutoff [Hz]"
    {30, 4, "HighDelay", DspValueScaling::AsIs},                  // "HiDelay [ms]"
    {32, 5, "LowFeedback", DspValueScaling::AsIs},                // "LoFeedbk [%]"
    {33, 6, "MidFeedback", DspValueScaling::AsIs},                // "MiFeedbk [%]"
    {34, 7, "HighFeedback", DspValueScaling::AsIs},               // "HiFeedbk [%]"
    {21, 0, "LowDecay", DspValueScaling::AsIs},                   // "LowDecay [sec]"
    {22, 1, "HighCutoff", DspValueScaling::AsIs},                 // "Cutoff [Hz]"
    {23, 2, "HighDecay", DspValueScaling::AsIs},                  // "HiDecay [sec]"
    {24, 3, "Fire", DspValueScaling::AsIs},                       // "Fire"
    {25, 4, "Reset", DspValueScaling::AsIs},                      // "Reset"
    {26, 0, nullptr, DspValueScaling::AsIs},                      // "HoldTime [ms]"
    {9, 0, "LfWidth", DspValueScaling::DividedBy50},              // "LoDepth [%]"
    {14, 1, "LowCutoff", DspValueScaling::AsIs},                  // "Low Cutoff [Hz]"
    {11, 2, "MfWidth", DspValueScaling::DividedBy50},             // "MiDepth [%]"
    {15, 3, "HighCutoff", DspValueScaling::AsIs},                 // "Hi Cutoff [Hz]"
    {13, 4, "HfWidth", DspValueScaling::DividedBy50},             // "HiDepth [%]"
    {8, 5, "LfFreq", DspValueScaling::AsIs},                      // "LoRate [Hz]"
    {10, 6, "MfFreq", DspValueScaling::AsIs},                     // "MiRate [Hz]"
    {12, 7, "HfFreq", DspValueScaling::AsIs},                     // "HiRate [Hz]"
    {16, 0, "LowGain", DspValueScaling::AsIs},                    // "LowGain [dB]"
    {17, 1, "LowCutoff", DspValueScaling::AsIs},                  // "Low Cutoff [Hz]"
    {18, 2, "MidGain", DspValueScaling::AsIs},                    // "MidGain [dB]"
    {20, 3, "HighCutoff", DspValueScaling::AsIs},                 // "Hi Cutoff [Hz]"
    {19, 4, "HighGain", DspValueScaling::AsIs},                   // "HiGain [dB]"
    {5, 0, nullptr, DspValueScaling::AsIs},                       // "CentFrq [Hz]"
    {6, 1, "Bandwidth", DspValueScaling::AsIs},                   // "Bandwidth [semitone]"
    {7, 2, "Gain", DspValueScaling::AsIs},                        // "Gain [dB]"
    {35, 0, nullptr, DspValueScaling::AsIs},                      // "CentFrq [Hz]"
    {36, 1, "Bandwidth", DspValueScaling::AsIs},                  // "Bandwidth [semitone]"
    {37, 2, "Gain", DspValueScaling::AsIs},                       // "Gain [dB]"
    {38, 3, "OscFreq", DspValueScaling::AsIs},                    // "Rate [hz]"
    {39, 4, "OscWidth", DspValueScaling::AsIs},                   // "Depth [%]"
    {40, 0, nullptr, DspValueScaling::SemitonesToRatio},          // "Transpose [semitone]"
    {41, 1, "Error", DspValueScaling::AsIs},                      // "VoiceThrld [%]"
    {47, 0, nullptr, DspValueScaling::AsIs},                      // "VoiceThrld [%]"
    {42, 0, nullptr, DspValueScaling::AsIs},                      // "Pitch [Hz]"
    {48, 0, "Transposition1", DspValueScaling::SemitonesToRatio}, // "Pitch1 [semitone]"
    {49, 1, "Gain1", DspValueScaling::AsIs},                      // "Gain1 [dB]"
    {50, 2, "Delay1", DspValueScaling::AsIs},                     // "Delay1 [ms]"
    {51, 3, "Transposition2", DspValueScaling::SemitonesToRatio}, // "Pitch2 [semitone]"
    {52, 4, "Gain2", DspValueScaling::AsIs},                      // "Gain2 [dB]"
    {53, 5, "Delay2", DspValueScaling::AsIs},                     // "Delay2 [ms]"
    {43, 0, nullptr, DspValueScaling::AsIs},                      // "Correction [%]"
    {44, 1, "Rate", DspValueScaling::AsIs},                       // "Rate [%]"
    {45, 0, nullptr, DspValueScaling::AsIs},                      // "SinGain [dB]"
    {46, 1, "Residual", DspValueScaling::AsIs},                   // "NoisGain [dB]"
    {54, 0, nullptr, DspValueScaling::AsIs},                      // "Amount [Hz]"
    {55, 0, "Freq", DspValueScaling::AsIs},                       // "LFO Rate [Hz]"
    {56, 1, "Width", DspValueScaling::DividedBy100},              // "Depth [%]"
};

TEST(ProgramTable, EveryProgramParameterReachesItsEffectUnderItsNumber) {
    ASSERT_EQ(std::size(kExpectedRoutes), ProgramTable::kParameterCount - 5);
    for (const ExpectedRoute& expected : kExpectedRoutes) {
        SCOPED_TRACE("parameter " + std::to_string(expected.index));
        const ProgramParameterDescription* row = ProgramTable::programParameter(expected.index);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->parameter.index, expected.index);
        EXPECT_EQ(row->effectParameter, expected.effectParameter);
        if (expected.control == nullptr)
            EXPECT_EQ(row->effectControl, kEffectAmount);
        else
            EXPECT_STREQ(row->effectControl, expected.control);
        EXPECT_EQ(row->scaling, expected.scaling);
    }
}

TEST(ProgramTable, ParametersBelongToTheProgramThatListsThem) {
    for (unsigned int index = 0; index < 5; ++index) {
        EXPECT_EQ(ProgramTable::programOfParameter(index), nullptr) << index;
        EXPECT_EQ(ProgramTable::programParameter(index), nullptr) << index;
    }
    EXPECT_EQ(ProgramTable::programOfParameter(27)->presetNumber, 0u);
    EXPECT_EQ(ProgramTable::programOfParameter(24)->presetNumber, 1u);
    EXPECT_EQ(ProgramTable::programOfParameter(5)->presetNumber, 5u);
    EXPECT_EQ(ProgramTable::programOfParameter(42)->presetNumber, 14u);
    EXPECT_EQ(ProgramTable::programOfParameter(57), nullptr);
    EXPECT_EQ(ProgramTable::programParameter(65000), nullptr);
}

TEST(ProgramTable, LooksUpProgramsAndParametersByExactName) {
    const ProgramDescription* am = ProgramTable::findProgram("3 AM");
    const ProgramDescription* filter = ProgramTable::findProgram("3-Band Filter");
    ASSERT_NE(am, nullptr);
    ASSERT_NE(filter, nullptr);
    EXPECT_EQ(ProgramTable::findProgram("Pitch Shift")->presetNumber, 7u);
    EXPECT_EQ(ProgramTable::findProgram("pitch shift"), nullptr);
    EXPECT_EQ(ProgramTable::findProgram(""), nullptr);

    // The same name in two programs names two different parameters.
    EXPECT_EQ(ProgramTable::findParameter(*am, "Low Cutoff [Hz]")->parameter.index, 14u);
    EXPECT_EQ(ProgramTable::findParameter(*filter, "Low Cutoff [Hz]")->parameter.index, 17u);
    EXPECT_EQ(ProgramTable::findParameter(*am, "Low Cutoff"), nullptr);
}

TEST(ProgramTable, UnitsFollowTheNamesTheUserSees) {
    EXPECT_STREQ(unitSymbol(ProgramTable::parameter(27).unit), "ms");
    EXPECT_STREQ(unitSymbol(ProgramTable::parameter(21).unit), "s");
    EXPECT_STREQ(unitSymbol(ProgramTable::parameter(38).unit), "Hz");
    EXPECT_STREQ(unitSymbol(ProgramTable::parameter(7).unit), "dB");
    EXPECT_STREQ(unitSymbol(ProgramTable::parameter(40).unit), "semitone");
    EXPECT_STREQ(unitSymbol(ProgramTable::parameter(56).unit), "%");
    EXPECT_STREQ(unitSymbol(ProgramTable::parameter(0).unit), "");
}

TEST(ProgramTableDeathTest, IndicesOutsideTheTableAreFatal) {
    EXPECT_DEATH(ProgramTable::parameter(57), "index < kParameterCount");
    EXPECT_DEATH(ProgramTable::program(15), "presetNumber < kProgramCount");
}

} // namespace
