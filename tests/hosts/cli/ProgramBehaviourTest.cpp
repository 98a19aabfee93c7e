// Each program, rendered from the command line, does its job on a signal chosen to show it:
// measured on the output file, not read off the code.

#include "CliRunner.hpp"
#include "support/SignalMeasures.hpp"

#include <cmath>
#include <cstdio>
#include <random>
#include <sstream>

using namespace CliTest;
using namespace SignalMeasures;
using quorvel::cli::AudioData;

namespace {

constexpr int kRate = 44100;

AudioData mono(size_t frames) {
    return AudioData{kRate, 0, {std::vector<float>(frames, 0.0f)}};
}

void addSine(AudioData& a, double hz, double amplitude, size_t from, size_t to) {
    for (size_t i = from; i < to && i < a.channels[0].size(); ++i)
        a.channels[0][i] += float(amplitude * std::sin(kTwoPi * hz * double(i) / kRate));
}

double amplitudeAt(const std::vector<float>& x, double hz, size_t from, size_t to) {
    return AmplitudeAt(x, hz, kRate, from, to);
}

class Programs : public CliTestBase {
protected:
    std::vector<float> render(const AudioData& input, std::vector<std::string> options) {
        writeWav("in.wav", input);
        std::vector<std::string> args = {"render", path("in.wav"), path("out.wav"), "--quiet"};
        args.insert(args.end(), options.begin(), options.end());
        const Result r = run(args);
        EXPECT_EQ(r.status, 0) << r.err;
        return readWav("out.wav").channels[0];
    }
};

} // namespace

TEST_F(Programs, PeakNotchCutsItsBandAndLeavesTheRest) {
    AudioData in = mono(kRate);
    addSine(in, 500.0, 0.3, 0, kRate);
    addSine(in, 4000.0, 0.3, 0, kRate);
    const auto out = render(in, {"--program", "Spectral Peak/Notch"}); // 500 Hz, -50 dB
    const size_t from = 4096, to = kRate - 4096;
    EXPECT_LT(Db(amplitudeAt(out, 500.0, from, to) / 0.3), -35.0);
    // Two octaves above the centre the notch is gone: within a few hundredths of a dB.
    EXPECT_NEAR(Db(amplitudeAt(out, 4000.0, from, to) / 0.3), 0.0, 0.1);
}

TEST_F(Programs, ThreeBandFilterSetsEachBandsGain) {
    AudioData in = mono(kRate);
    for (double hz : {150.0, 1000.0, 6000.0})
        addSine(in, hz, 0.2, 0, kRate);
    const auto out = render(in, {"--program", "3-Band Filter", "--set", "LowGain [dB]=0", "--set",
                                 "MidGain [dB]=-6", "--set", "HiGain [dB]=-20"});
    const size_t from = 4096, to = kRate - 4096;
    // The gains are applied per bin through the fast 2^x (error near 3e-6), and each tone lies
    // well inside its band (cutoffs 500 and 3000 Hz), so a tenth of a dB is ample.
    EXPECT_NEAR(Db(amplitudeAt(out, 150.0, from, to) / 0.2), 0.0, 0.1);
    EXPECT_NEAR(Db(amplitudeAt(out, 1000.0, from, to) / 0.2), -6.0, 0.1);
    EXPECT_NEAR(Db(amplitudeAt(out, 6000.0, from, to) / 0.2), -20.0, 0.1);
}

TEST_F(Programs, DelayEchoesArriveAtTheSetTimeWithTheSetFeedback) {
    // A click half a second in, then silence. All bands delay by 300 ms with 50 % feedback.
    AudioData in = mono(3 * kRate);
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> u(-0.5f, 0.5f);
    const size_t click = kRate / 2;
    for (size_t i = click; i < click + 256; ++i)
        in.channels[0][i] = u(rng);
    const auto out =
        render(in, {"--program", "Delay Spectral Bands", "--set", "LoDelay [ms]=300", "--set",
                    "MiDelay [ms]=300", "--set", "HiDelay [ms]=300", "--set", "LoFeedbk [%]=50",
                    "--set", "MiFeedbk [%]=50", "--set", "HiFeedbk [%]=50"});
    // 300 ms is 51 whole hops of 256 samples at 44.1 kHz (the delay counts whole frames).
    const size_t echo = 51 * 256;
    auto energyNear = [&](size_t at) { return Rms(out, at - 1024, at + 1536); };
    const double direct = energyNear(click), first = energyNear(click + echo),
                 second = energyNear(click + 2 * echo), third = energyNear(click + 3 * echo);
    EXPECT_LT(direct, 0.01 * first); // the wet signal is only the echoes
    // Each echo is half the one before (6 dB); the frames overlap so allow half a dB.
    EXPECT_NEAR(Db(second / first), -6.02, 0.5);
    EXPECT_NEAR(Db(third / second), -6.02, 0.5);
    EXPECT_LT(energyNear(click + echo / 2), 0.01 * first); // nothing between the echoes
}

TEST_F(Programs, FreezeSustainsAfterTheInputStops) {
    AudioData in = mono(3 * kRate);
    addSine(in, 440.0, 0.3, 0, 3 * kRate / 2);
    const auto fired = render(in, {"--program", "Spectral Freeze", "--set", "Fire=on@1.0"});
    const auto idle = render(in, {"--program", "Spectral Freeze"});
    const size_t after = 2 * kRate, end = 5 * kRate / 2; // well after the input stopped
    EXPECT_LT(Rms(idle, after, end), 1e-6);
    // Frozen at 1 s with 20 s and 12 s decays: still within a few dB of the tone a second on.
    EXPECT_GT(amplitudeAt(fired, 440.0, after, end), 0.3 * 0.5);
}

TEST_F(Programs, AmplitudeModulationSwingsAtItsRate) {
    AudioData in = mono(4 * kRate);
    addSine(in, 300.0, 0.3, 0, 4 * kRate); // in the low band (below 500 Hz)
    const auto out =
        render(in, {"--program", "3 AM", "--set", "LoRate [Hz]=4", "--set", "LoDepth [%]=100"});
    // The envelope, one value per hop, and its strongest component between 1 and 10 Hz.
    std::vector<double> envelope;
    for (size_t at = kRate / 2; at + 256 < size_t(7 * kRate / 2); at += 256)
        envelope.push_back(Rms(out, at, at + 256));
    double best = 0.0, bestHz = 0.0;
    for (double hz = 1.0; hz <= 10.0; hz += 0.05) {
        double re = 0.0, im = 0.0;
        for (size_t k = 0; k < envelope.size(); ++k) {
            const double t = double(k) * 256.0 / kRate;
            re += envelope[k] * std::cos(kTwoPi * hz * t);
            im += envelope[k] * std::sin(kTwoPi * hz * t);
        }
        if (std::hypot(re, im) > best) {
            best = std::hypot(re, im);
            bestHz = hz;
        }
    }
    EXPECT_NEAR(bestHz, 4.0, 0.15); // the scan step and three seconds of envelope
    double lo = 1e9, hi = 0.0;
    for (double e : envelope) {
        lo = std::min(lo, e);
        hi = std::max(hi, e);
    }
    EXPECT_GT(Db(hi / std::max(lo, 1e-9)), 12.0); // a deep swing at full depth
}

TEST_F(Programs, SampleAndHoldHoldsTheSpectrumForTheHoldTime) {
    // A rising glide: held, the output's pitch moves in steps; passed through, it glides.
    AudioData in = mono(3 * kRate);
    double phase = 0.0;
    for (size_t i = 0; i < in.channels[0].size(); ++i) {
        const double hz = 300.0 + 600.0 * double(i) / double(in.channels[0].size());
        phase += kTwoPi * hz / kRate;
        in.channels[0][i] = float(0.3 * std::sin(phase));
    }
    auto steadyFraction = [](const std::vector<float>& x) {
        // Pitch from the first and last zero crossings (interpolated) of 2048-sample windows
        // every 1024 samples; a window counts as steady when its pitch is within 0.3 % of the
        // window before. The glide moves about 0.8 % from one window to the next.
        std::vector<double> pitch;
        for (size_t at = kRate / 2; at + 2048 < x.size() - kRate / 4; at += 1024) {
            double first = -1.0, last = -1.0;
            int crossings = 0;
            for (size_t i = at + 1; i < at + 2048; ++i)
                if ((x[i - 1] < 0.0f) != (x[i] < 0.0f)) {
                    const double t = double(i - 1) + x[i - 1] / double(x[i - 1] - x[i]);
                    if (first < 0.0)
                        first = t;
                    last = t;
                    ++crossings;
                }
            pitch.push_back(crossings > 1 ? (crossings - 1) / (2.0 * (last - first)) : 0.0);
        }
        int steady = 0;
        for (size_t k = 1; k < pitch.size(); ++k)
            steady += std::fabs(pitch[k] - pitch[k - 1]) <= 0.003 * pitch[k];
        return double(steady) / double(pitch.size() - 1);
    };
    const auto held = render(in, {"--program", "Sample & Hold", "--set", "HoldTime [ms]=300"});
    const auto through = render(in, {"--program", "Sample & Hold", "--set", "HoldTime [ms]=0"});
    EXPECT_GT(steadyFraction(held), 0.6);
    EXPECT_LT(steadyFraction(through), steadyFraction(held) - 0.3);
}

TEST_F(Programs, OscillatingNotchMovesItsCentre) {
    // A tone at the notch's centre: as the centre swings between 0 and twice its value, the
    // tone is cut when the centre passes it and left alone when the centre is far away.
    AudioData in = mono(5 * kRate);
    addSine(in, 1000.0, 0.2, 0, 5 * kRate);
    const auto out = render(in, {"--program", "Oscillating Peak/Notch", "--set", "Rate [hz]=0.25",
                                 "--set", "Depth [%]=100", "--set", "Bandwidth [semitone]=4"});
    double lo = 1e9, hi = 0.0;
    for (size_t at = kRate / 2; at + 1024 < size_t(9 * kRate / 2); at += 512) {
        const double a = amplitudeAt(out, 1000.0, at, at + 1024);
        lo = std::min(lo, a);
        hi = std::max(hi, a);
    }
    EXPECT_LT(Db(lo / 0.2), -20.0); // cut (by up to 48 dB) when the centre passes 1000 Hz
    EXPECT_GT(Db(hi / 0.2), -3.0);  // untouched when it is far away
}

namespace {

// Quiet white noise, about -74 dBFS RMS: no bin of the harmonic analysis rises above its
// -80 dB peak threshold, so every frame is unvoiced and the harmonic path's output is its
// residual path alone, which should give the input back.
AudioData quietNoise(size_t frames) {
    AudioData a = mono(frames);
    a.channels[0] = GaussianNoise(frames, 2e-4f, 5);
    return a;
}

} // namespace

// The wet signal of the harmonic path lines up with the dry one: after latency compensation
// the residual path at 0 semitones gives the input back, and half dry, half wet gives it back
// as well (two copies some milliseconds apart would comb-filter the noise and lose ~3 dB or
// more). Measured: about 45 dB wet only, about 50 dB half and half; the floor is the fast
// trigonometry of the residual's subtraction and addition.
TEST_F(Programs, HarmonicWetAndDrySignalsLineUp) {
    const AudioData input = quietNoise(kRate);
    const size_t from = 4096, to = input.channels[0].size() - 4096;
    for (const char* dryWet : {"1", "0.5"}) {
        SCOPED_TRACE(dryWet);
        const auto out = render(input, {"--program", "Pitch Shift", "--set",
                                        "Transpose [semitone]=0", "--dry-wet", dryWet});
        EXPECT_GT(SnrDb(input.channels[0], out, from, to), 40.0);
    }
}

// "analyze" hears a 220 Hz voice-like tone at 220 Hz on every voiced hop, and nothing where the
// file is silent; the rows' times place the tone where it is in the file.
TEST_F(Programs, AnalyzeReportsTheFundamentalAndSilence) {
    AudioData input = mono(size_t(kRate));
    for (int h = 1; h <= 6; ++h)
        addSine(input, 220.0 * h, 0.3 / h, 0, size_t(kRate / 2));
    writeWav("tone.wav", input);
    const Result r = run({"analyze", path("tone.wav"), "--quiet"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream rows(r.out);
    std::string line;
    std::getline(rows, line);
    EXPECT_EQ(line, "time_s,f0_hz,error,peaks,harmonics");
    int voiced = 0, silent = 0;
    while (std::getline(rows, line)) {
        double t = 0, f0 = 0, error = 0;
        int peaks = 0, harmonics = 0;
        ASSERT_EQ(
            std::sscanf(line.c_str(), "%lf,%lf,%lf,%d,%d", &t, &f0, &error, &peaks, &harmonics), 5)
            << line;
        // Well inside the tone, and well after it (the 2049-sample window spans 23 ms each way).
        if (t > 0.05 && t < 0.45) {
            EXPECT_NEAR(f0, 220.0, 1.1) << line;
            EXPECT_GE(harmonics, 6) << line;
            ++voiced;
        } else if (t > 0.55) {
            EXPECT_EQ(f0, 0.0) << line;
            EXPECT_EQ(peaks, 0) << line;
            ++silent;
        }
    }
    EXPECT_GT(voiced, 60);
    EXPECT_GT(silent, 60);
}

// A harmonic program given a stereo file processes the first channel and writes it to both,
// and says so once on standard error unless asked to be quiet.
TEST_F(Programs, HarmonicProgramsReadTheFirstChannelOfAStereoFile) {
    AudioData input = mono(size_t(kRate / 4));
    addSine(input, 220.0, 0.3, 0, input.channels[0].size());
    input.channels.push_back(std::vector<float>(input.channels[0].size(), 0.0f));
    writeWav("stereo.wav", input);
    const std::vector<std::string> args = {"render",    path("stereo.wav"), path("out.wav"),
                                           "--program", "Pitch Shift",      "--dry-wet",
                                           "0"};
    const Result noted = run(args);
    ASSERT_EQ(noted.status, 0) << noted.err;
    EXPECT_EQ(noted.err, "quorvel: note: \"Pitch Shift\" is a harmonic program: it processes "
                         "the first channel and writes the result to both\n");
    const AudioData out = readWav("out.wav");
    EXPECT_EQ(out.channels[1], out.channels[0]);
    EXPECT_GT(SnrDb(input.channels[0], out.channels[0], 0, out.channels[0].size()), 60.0);
    std::vector<std::string> quiet = args;
    quiet.push_back("--quiet");
    EXPECT_EQ(run(quiet).err, "");
}
