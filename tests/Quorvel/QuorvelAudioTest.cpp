#include "EngineHarness.hpp"

#include "Quorvel/ProgramParameters/ProgramTable.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

using namespace EngineTest;

namespace {

constexpr unsigned int kGain = 0;
constexpr unsigned int kDryWet = 1;
constexpr unsigned int kLevelClip = 4;
constexpr int kDelay = QuorvelAudio::kShortTimeDelay;
// The first output hop is written 1024 samples after the stream starts; what comes before it
// is silence (and input samples 0..255 never reach an output hop).
constexpr size_t kFirstOutput = 1024;

std::vector<unsigned int> allPrograms() {
    std::vector<unsigned int> programs;
    for (const ProgramDescription* p : ProgramTable::kPrograms)
        programs.push_back(p->presetNumber);
    return programs;
}

bool isHarmonic(unsigned int program) {
    return ProgramTable::program(program).category == KavCategoryIds::HLN;
}

int activeShortTimeCount(const QuorvelAudio& engine) {
    int count = 0;
    for (unsigned int p = 0; p < ProgramTable::kShortTimeProgramCount; ++p)
        count += engine.isSFFTTransformationActive(p) ? 1 : 0;
    return count;
}

// Whether `output` is the dry-only stream of `input` for a program whose output is delayed by
// `delay`: silence until the first hop is out (or the delayed input arrives), then the input
// `delay` samples late; a harmonic program hears channel 0 only and writes it everywhere.
::testing::AssertionResult isDryStream(const std::vector<std::vector<float>>& input,
                                       const std::vector<std::vector<float>>& output,
                                       size_t delay = kDelay, bool harmonic = false) {
    const size_t first = std::max(kFirstOutput, delay);
    for (size_t c = 0; c < output.size(); ++c)
        for (size_t i = 0; i < input[0].size(); ++i) {
            const float expected = i < first ? 0.0f : input[harmonic ? 0 : c][i - delay];
            if (output[c][i] != expected)
                return ::testing::AssertionFailure() << "channel " << c << " sample " << i << ": "
                                                     << output[c][i] << " != " << expected;
        }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(QuorvelAudio, ReportsTheDelayItsOutputActuallyHas) {
    Harness h;
    EXPECT_EQ(h.engine.getLatencySamples(), 768u);
    EXPECT_NEAR(h.engine.getLatency() * kRate, 768.0, 1e-9);
    h.document.activateProgram(ParametersHLN_PitchShift.presetNumber);
    EXPECT_EQ(h.engine.getLatencySamples(), 2048u);
    EXPECT_NEAR(h.engine.getLatency() * kRate, 2048.0, 1e-9);
}

TEST(QuorvelAudio, DryOnlyOutputIsTheInputDelayedByTheReportedLatency) {
    for (unsigned int program : allPrograms()) {
        SCOPED_TRACE(ProgramTable::program(program).name);
        Harness h;
        h.document.activateProgram(program);
        h.set(kDryWet, 0.0f);
        const auto input = testSignal(2, 8192);
        const auto output = h.render(input, 512);
        EXPECT_TRUE(isDryStream(input, output, h.engine.getLatencySamples(), isHarmonic(program)));
    }
}

TEST(QuorvelAudio, AProgramChangeRestartsTheStream) {
    // After a change the output is silent until the new program's first hop is out (nothing of
    // the old program is left in the rings or the analysis), then the new input as late as the
    // new program reports, as after Initialize. One whole ring's length before the change
    // leaves the old program's pending output in the slots the restarted stream reads first.
    // Changes between the families, both ways, and back to a family heard before.
    const unsigned int filter = ParametersSFFT_ThreeBandFilter.presetNumber;
    const unsigned int shift = ParametersHLN_PitchShift.presetNumber;
    const unsigned int vibrato = ParametersHLN_Vibrato.presetNumber;
    Harness h;
    h.set(kDryWet, 0.0f);
    uint32_t seed = 1;
    for (unsigned int program : {filter, shift, 0u, vibrato, filter}) {
        SCOPED_TRACE(ProgramTable::program(program).name);
        h.render(testSignal(2, QuorvelAudio::kOutputRingSize, seed++), 512);
        h.document.activateProgram(program);
        const auto input = testSignal(2, 4096, seed++);
        const auto output = h.render(input, 300);
        EXPECT_TRUE(isDryStream(input, output, h.engine.getLatencySamples(), isHarmonic(program)));
    }
}

// With the wet signal alone, a change into a harmonic program must not resynthesize what the
// harmonic analysis heard the last time one was current: after the change the output is
// silent for as long as the new program's latency, whatever came before.
TEST(QuorvelAudio, AHarmonicProgramStartsWithoutStaleSound) {
    const unsigned int shift = ParametersHLN_PitchShift.presetNumber;
    Harness h;
    h.document.activateProgram(shift);
    h.render(testSignal(2, 20000, 1), 512);
    h.document.activateProgram(0);
    h.render(testSignal(2, 5000, 2), 512);
    h.document.activateProgram(shift);
    const std::vector<std::vector<float>> silence(2, std::vector<float>(8192, 0.0f));
    for (const auto& channel : h.render(silence, 512))
        for (float s : channel)
            ASSERT_EQ(s, 0.0f);
}

TEST(QuorvelAudio, SilenceInGivesExactlyZeroOutInEveryProgram) {
    for (unsigned int program : allPrograms()) {
        SCOPED_TRACE(ProgramTable::program(program).name);
        Harness h;
        h.document.activateProgram(program);
        h.set(24, orvane::AnyValue(true)); // fire the freeze too, where it is current
        const std::vector<std::vector<float>> silence(2, std::vector<float>(20000, 0.0f));
        for (const auto& channel : h.render(silence, 300))
            for (float s : channel)
                ASSERT_EQ(s, 0.0f);
    }
}

TEST(QuorvelAudio, GainBelowTheThresholdGivesExactZero) {
    Harness h;
    h.set(kGain, 0.00009f);
    for (const auto& channel : h.render(testSignal(2, 10000), 256))
        for (float s : channel)
            ASSERT_EQ(s, 0.0f);
}

TEST(QuorvelAudio, AnyBlockLengthGivesTheSameOutputStream) {
    const auto input = testSignal(2, 30000);
    for (unsigned int program : allPrograms()) {
        SCOPED_TRACE(ProgramTable::program(program).name);
        std::vector<std::vector<float>> reference;
        for (unsigned int block : {1u, 13u, 256u, 4096u}) {
            Harness h;
            h.document.activateProgram(program);
            h.set(kDryWet, 0.7f);
            const auto output = h.render(input, block);
            if (reference.empty())
                reference = output;
            else
                ASSERT_EQ(output, reference) << "block " << block;
        }
    }
}

TEST(QuorvelAudio, BlocksLongerThanTheMaximumAreProcessedInPieces) {
    const auto input = testSignal(2, 150000); // longer than the 65536-sample output ring
    Harness small(2, 512);
    Harness large(2, 512);
    EXPECT_EQ(large.render(input, unsigned(input[0].size())), small.render(input, 512));
}

TEST(QuorvelAudio, ClipIndicatorSetsAtPlusOneButNotForNegativePeaks) {
    Harness h;
    h.set(kDryWet, 0.0f);
    std::vector<std::vector<float>> input(2, std::vector<float>(4096, 0.0f));
    input[0][10] = -1.5f;
    h.render(input, 256);
    EXPECT_FALSE(h.document.getParameter(kLevelClip)->getValue().GetBool());
    input[0][10] = 1.0f;
    h.render(input, 256);
    EXPECT_TRUE(h.document.getParameter(kLevelClip)->getValue().GetBool());
    // The harmonic path never sets it, even when it outputs 1.0.
    h.set(kLevelClip, orvane::AnyValue(false));
    h.document.activateProgram(ParametersHLN_PitchShift.presetNumber);
    const auto output = h.render(input, 256);
    EXPECT_EQ(output[0][10 + 2048], 1.0f);
    EXPECT_FALSE(h.document.getParameter(kLevelClip)->getValue().GetBool());
}

TEST(QuorvelAudio, NonFiniteInputNeverPoisonsTheOutput) {
    const auto clean = testSignal(2, 20000);
    auto dirty = clean;
    std::vector<std::vector<float>> zeroed = clean;
    const float bad[] = {std::numeric_limits<float>::quiet_NaN(),
                         std::numeric_limits<float>::infinity(),
                         -std::numeric_limits<float>::infinity()};
    for (int k = 0; k < 3; ++k) {
        dirty[0][size_t(1000 + k)] = bad[k];
        dirty[1][size_t(5000 + k)] = bad[k];
        zeroed[0][size_t(1000 + k)] = 0.0f;
        zeroed[1][size_t(5000 + k)] = 0.0f;
    }
    for (unsigned int program : allPrograms()) {
        SCOPED_TRACE(ProgramTable::program(program).name);
        Harness a, b;
        a.document.activateProgram(program);
        b.document.activateProgram(program);
        // The bad samples are read as zeros: the delay lines and held spectra stay clean.
        EXPECT_EQ(a.render(dirty, 256), b.render(zeroed, 256));
    }
}

TEST(QuorvelAudio, ExactlyTheCurrentProgramsEffectRunsAfterEveryProgramChange) {
    QuorvelDocument document;
    QuorvelAudio engine(&document);
    EXPECT_TRUE(engine.isSFFTTransformationActive(0));
    // A host that restores its program before initialising: the first program's effect must
    // not keep running under the new one.
    document.activateProgram(3);
    EXPECT_EQ(activeShortTimeCount(engine), 1);
    EXPECT_TRUE(engine.isSFFTTransformationActive(3));
    engine.setMaxBufferSize(512);
    engine.setChannelConfiguration(2, 2);
    engine.setSamplingRate(48000);
    engine.Initialize();
    EXPECT_EQ(activeShortTimeCount(engine), 1);
    EXPECT_TRUE(engine.isSFFTTransformationActive(3));
    document.activateProgram(7);
    EXPECT_EQ(activeShortTimeCount(engine), 0);
    EXPECT_TRUE(engine.isHLNTransformationActive(0));
    document.activateProgram(5);
    EXPECT_EQ(activeShortTimeCount(engine), 1);
    EXPECT_FALSE(engine.isHLNTransformationActive(0));
    document.removeInterface(&engine);
}

TEST(QuorvelAudio, RoutesParametersToBothChannelsWithTheirConversion) {
    Harness h;
    h.document.activateProgram(ParametersSFFT_SpectralAM.presetNumber);
    h.set(9, 100.0f); // "LoDepth [%]" reaches "LfWidth" as v / 50
    for (int c = 0; c < 2; ++c)
        EXPECT_EQ(
            h.engine.getSFFTTransformation(3, c).GetInControls().Get("LfWidth").GetLastValue(),
            2.0f);
    h.document.activateProgram(ParametersSFFT_SpectralNotch.presetNumber);
    h.set(5, orvane::AnyValue(1234)); // "CentFrq [Hz]" reaches mAmount
    for (int c = 0; c < 2; ++c)
        EXPECT_EQ(h.engine.getSFFTTransformation(5, c).mAmount.load(), 1234.0f);
}

TEST(QuorvelAudio, GainAndDryWetApplyWhateverProgramIsCurrent) {
    Harness h;
    h.document.activateProgram(9); // a harmonic program
    h.set(kGain, 0.5f);
    h.set(kDryWet, 0.0f);
    h.document.activateProgram(0);
    auto input = testSignal(2, 4096);
    const auto output = h.render(input, 512);
    for (size_t i = kFirstOutput; i < input[0].size(); ++i)
        ASSERT_EQ(output[0][i], input[0][i - kDelay] * 0.5f);
}

TEST(QuorvelAudio, AProgramReceivesTheDocumentsValuesWhenItBecomesCurrent) {
    Harness h;
    h.document.activateProgram(ParametersSFFT_ThreeBandFilter.presetNumber);
    // Stored while another program is current (as a restored session does): not delivered...
    h.set(27, 250.0f); // "LoDelay [ms]"
    EXPECT_EQ(h.engine.getSFFTTransformation(0, 0).GetInControls().Get("LowDelay").GetLastValue(),
              300.0f);
    // ...until its program is selected: the effect then plays what the document says.
    h.document.activateProgram(0);
    for (int c = 0; c < 2; ++c)
        EXPECT_EQ(
            h.engine.getSFFTTransformation(0, c).GetInControls().Get("LowDelay").GetLastValue(),
            250.0f);
}

TEST(QuorvelAudio, RestartingKeepsTheDocumentsValues) {
    Harness h;
    h.set(32, 80.0f); // "LoFeedbk [%]"
    h.engine.setSamplingRate(48000);
    h.engine.Initialize(); // restarts every effect, which resets their controls
    EXPECT_EQ(
        h.engine.getSFFTTransformation(0, 1).GetInControls().Get("LowFeedback").GetLastValue(),
        80.0f);
}

TEST(QuorvelAudio, MonoConfigurationProcessesChannelZeroOnly) {
    Harness mono(1, 512);
    mono.set(kDryWet, 0.0f);
    auto input = testSignal(1, 4096);
    std::vector<std::vector<float>> output(1, std::vector<float>(input[0].size()));
    // A mono host hands over one pointer per direction, on the heap here so that a read past
    // it is caught by the address sanitizer; 1000-sample blocks also take the pieces path.
    const auto in = std::make_unique<float*[]>(1);
    const auto out = std::make_unique<float*[]>(1);
    for (size_t pos = 0; pos < input[0].size(); pos += 1000) {
        in[0] = input[0].data() + pos;
        out[0] = output[0].data() + pos;
        mono.engine.Process(in.get(), out.get(),
                            unsigned(std::min<size_t>(1000, input[0].size() - pos)));
    }
    EXPECT_TRUE(isDryStream(input, output));
}
