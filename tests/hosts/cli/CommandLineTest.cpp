#include "CliRunner.hpp"
#include "support/SignalMeasures.hpp"

#include <cmath>
#include <random>
#include <regex>

using namespace CliTest;
using quorvel::cli::AudioData;

namespace {

AudioData noise(int channels, int frames, int rate = 44100, float level = 0.3f) {
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> u(-level, level);
    AudioData a;
    a.sampleRate = rate;
    a.channels.assign(size_t(channels), std::vector<float>(size_t(frames)));
    for (auto& channel : a.channels)
        for (float& s : channel)
            s = u(rng);
    return a;
}

class CommandLine : public CliTestBase {
protected:
    // Expects one "quorvel: ..." line containing `message`, the status, and no output file.
    void expectRefused(const std::vector<std::string>& args, int status, const std::string& message,
                       const std::string& output = "out.wav") {
        const Result r = run(args);
        EXPECT_EQ(r.status, status) << r.err;
        EXPECT_EQ(r.err.rfind("quorvel: ", 0), 0u) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(path(output))) << output;
    }
};

} // namespace

TEST_F(CommandLine, FlatFilterMatchesTheInputClosely) {
    const AudioData input = noise(1, 44100);
    writeWav("in.wav", input);
    ASSERT_EQ(run({"render", path("in.wav"), path("out.wav"), "--program", "4"}).status, 0);
    const AudioData output = readWav("out.wav");
    // Over the whole file, first and last samples included: what is left is the resynthesis
    // error of the fast sine, cosine and square root, measured near 92 dB.
    EXPECT_GT(SignalMeasures::SnrDb(input.channels[0], output.channels[0]), 85.0);
}

TEST_F(CommandLine, OutputKeepsTheInputsRateChannelsAndEncoding) {
    writeWav("in.wav", noise(1, 5000, 22050), SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    ASSERT_EQ(run({"render", path("in.wav"), path("out.wav")}).status, 0);
    const AudioData out = readWav("out.wav");
    EXPECT_EQ(out.sampleRate, 22050);
    EXPECT_EQ(out.channelCount(), 1);
    EXPECT_EQ(out.frameCount(), 5000);
    EXPECT_EQ(out.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    ASSERT_EQ(run({"render", path("in.wav"), path("out.flac")}).status, 0);
    EXPECT_EQ(readWav("out.flac").format, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
}

TEST_F(CommandLine, WithoutLatencyCompensationTheOutputIsDelayedBy768) {
    const AudioData input = noise(1, 5000);
    writeWav("in.wav", input);
    ASSERT_EQ(run({"render", path("in.wav"), path("out.wav"), "--dry-wet", "0",
                   "--no-latency-compensation"})
                  .status,
              0);
    const AudioData out = readWav("out.wav");
    ASSERT_EQ(out.frameCount(), 5000);
    // The raw stream a host sees: silence until the first hop is out, then the input 768
    // samples late.
    for (size_t i = 0; i < 1024; ++i)
        ASSERT_EQ(out.channels[0][i], 0.0f);
    for (size_t i = 1024; i < 5000; ++i)
        ASSERT_EQ(out.channels[0][i], input.channels[0][i - 768]);
}

TEST_F(CommandLine, TimedChangesLandOnTheirSampleWhateverTheBlockLength) {
    writeWav("in.wav", noise(2, 44100));
    const std::vector<std::string> settings = {
        "--program", "Spectral Freeze", "--set", "Fire=on@0.25",
        "--set",     "Reset=1@0.6",     "--set", "HiDecay [sec]=2@0.3"};
    std::vector<std::string> a = {"render", path("in.wav"), path("a.wav"), "--block", "4096"};
    std::vector<std::string> b = {"render", path("in.wav"), path("b.wav"), "--block", "7"};
    a.insert(a.end(), settings.begin(), settings.end());
    b.insert(b.end(), settings.begin(), settings.end());
    ASSERT_EQ(run(a).status, 0);
    ASSERT_EQ(run(b).status, 0);
    EXPECT_EQ(readWav("a.wav").channels, readWav("b.wav").channels);
}

TEST_F(CommandLine, StateTextRoundTripsThroughRender) {
    writeWav("in.wav", noise(1, 20000));
    ASSERT_EQ(run({"state", "--program", "3-Band Filter", "--set", "MidGain [dB]=-6", "--dry-wet",
                   "0.5", "-o", path("s.xml")})
                  .status,
              0);
    const std::string text = readWhole(path("s.xml"));
    EXPECT_NE(
        text.find("<QuorvelPresets VersionMajor=\"1\" VersionMinor=\"0\" PresetVersion=\"4\">"),
        std::string::npos);
    ASSERT_EQ(run({"render", path("in.wav"), path("a.wav"), "--state", path("s.xml")}).status, 0);
    ASSERT_EQ(run({"render", path("in.wav"), path("b.wav"), "--program", "4", "--set",
                   "MidGain [dB]=-6", "--dry-wet", "0.5"})
                  .status,
              0);
    EXPECT_EQ(readWav("a.wav").channels, readWav("b.wav").channels);
    const Result stdoutState = run({"state"});
    EXPECT_EQ(stdoutState.status, 0);
    EXPECT_NE(stdoutState.out.find("<Parameter id=\"27\" value=\"300.00\""), std::string::npos);
    // The global parameters' names match regardless of case, as the programs' own do.
    const Result globals = run({"state", "--program", "4", "--set", "gain=0.5", "--set",
                                "DRY/WET=0.25", "--set", "lowgain [db]=-3"});
    EXPECT_EQ(globals.status, 0) << globals.err;
    EXPECT_NE(
        globals.out.find(R"(<Parameter id="0" value="0.50" /><Parameter id="1" value="0.25")"),
        std::string::npos);
}

TEST_F(CommandLine, ProgramsListsEveryProgramAndParameter) {
    const Result text = run({"programs"});
    ASSERT_EQ(text.status, 0);
    EXPECT_NE(text.out.find("Delay Spectral Bands"), std::string::npos);
    EXPECT_NE(text.out.find("\"LoDelay [ms]\""), std::string::npos);
    const Result json = run({"programs", "--json"});
    ASSERT_EQ(json.status, 0);
    size_t programs = 0;
    for (size_t at = 0; (at = json.out.find("\"number\": ", at)) != std::string::npos; ++at)
        ++programs;
    EXPECT_EQ(programs, 15u);
    EXPECT_NE(json.out.find("{\"index\": 16, \"name\": \"LowGain [dB]\", \"type\": \"float\", "
                            "\"unit\": \"dB\", \"min\": -90, \"max\": 30, \"default\": 0}"),
              std::string::npos);
}

TEST_F(CommandLine, HelpExplainsEveryCommand) {
    for (const char* command : {"programs", "render", "state", "analyze", "spectrogram", "demo"}) {
        const Result r = run({command, "--help"});
        EXPECT_EQ(r.status, 0);
        EXPECT_NE(r.out.find(std::string("usage: quorvel ") + command), std::string::npos);
    }
    EXPECT_NE(run({"--help"}).out.find("commands:"), std::string::npos);
}

TEST_F(CommandLine, DemoRendersEveryProgram) {
    const Result r = run({"demo", path("demo")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(std::filesystem::exists(path("demo/input.wav")));
    EXPECT_TRUE(std::filesystem::exists(path("demo/00-delay-spectral-bands.wav")));
    EXPECT_TRUE(std::filesystem::exists(path("demo/06-oscillating-peak-notch.wav")));
    EXPECT_TRUE(std::filesystem::exists(path("demo/07-pitch-shift.wav")));
    EXPECT_TRUE(std::filesystem::exists(path("demo/14-robotization.wav")));
    EXPECT_NE(r.out.find("Spectral Freeze"), std::string::npos);
    // The page: a section per program, and every picture and sound it names is beside it.
    EXPECT_NE(r.out.find(path("demo") + "/index.html\n"), std::string::npos) << r.out;
    const std::string page = readWhole(path("demo/index.html"));
    size_t sections = 0, sources = 0;
    for (size_t at = 0; (at = page.find("<section class=\"program\"", at)) != std::string::npos;
         ++at)
        ++sections;
    EXPECT_EQ(sections, 15u);
    const std::regex source("src=\"([^\"]+)\"");
    for (auto it = std::sregex_iterator(page.begin(), page.end(), source);
         it != std::sregex_iterator(); ++it, ++sources)
        EXPECT_TRUE(std::filesystem::exists(path("demo/" + (*it)[1].str()))) << (*it)[1];
    EXPECT_EQ(sources, 4u * 15u); // before and after: a sound and a picture each
}

TEST_F(CommandLine, BadInputsGiveOneClearLineAndNoOutput) {
    writeWav("in.wav", noise(1, 4410));
    const std::string in = path("in.wav"), out = path("out.wav");
    expectRefused({"render", path("missing.wav"), out}, 1,
                  "cannot read '" + path("missing.wav") + "': No such file");
    expectRefused({"render", mDir.string(), out}, 1, "': it is a directory");
    std::ofstream(path("junk.wav")) << "not audio at all";
    expectRefused({"render", path("junk.wav"), out}, 1, "cannot read");
    writeWav("rate.wav", noise(1, 100, 32000), SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    expectRefused({"render", path("rate.wav"), out}, 2,
                  "sample rate of 32000 Hz; supported rates are 22050, 44100, 48000, 96000 Hz");
    writeWav("wide.wav", noise(3, 100), SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    expectRefused({"render", path("wide.wav"), out}, 2, "has 3 channels; only mono and stereo");
    expectRefused({"render", in, out, "--program", "Chorus"}, 2,
                  "unknown program 'Chorus'; programs are 0 \"Delay Spectral Bands\"");
    expectRefused({"render", in, out, "--program", "15"}, 2, "unknown program '15'");
    expectRefused({"render", in, out, "--program", "4", "--set", "LoDelay [ms]=3"}, 2,
                  "\"LoDelay [ms]\" is not a parameter of \"3-Band Filter\"; its parameters are "
                  "\"LowGain [dB]\"");
    expectRefused({"render", in, out, "--program", "4", "--set", "LowGain [dB]=loud"}, 2,
                  "\"LowGain [dB]\" takes a number, not 'loud'");
    expectRefused({"render", in, out, "--program", "4", "--set", "LowGain [dB]=31"}, 2,
                  "\"LowGain [dB]\" takes a value from -90 to 30, not '31'");
    expectRefused({"render", in, out, "--program", "1", "--set", "Fire=maybe"}, 2,
                  "\"Fire\" takes 0/1, on/off or true/false");
    for (const char* late : {"Fire=on@0.2", "Fire=on@1e300"})
        expectRefused({"render", in, out, "--program", "1", "--set", late}, 2,
                      "is beyond the end of the input (0.1 s)");
    std::filesystem::create_hard_link(in, path("hard.wav"));
    std::filesystem::create_symlink(in, path("soft.wav"));
    for (const std::string& same :
         {in, (mDir / "." / "in.wav").string(), path("hard.wav"), path("soft.wav")})
        expectRefused({"render", in, same}, 2, "refusing to write the output over the input",
                      "none");
    expectRefused({"render", in, path("no/such/dir/out.wav")}, 1, "cannot write", "no");
    expectRefused({"render", in, path("out.mp9")}, 2, "cannot tell the output format", "out.mp9");
    expectRefused({"analyze"}, 2, "analyze takes one input file", "none");
    expectRefused({"analyze", in, "--csv"}, 2, "--csv needs a value", "none");
    expectRefused({"analyze", path("missing.wav")}, 1, "missing.wav", "none");
    std::ofstream(path("bad.xml")) << "<QuorvelPresets VersionMajor=\"1\" VersionMinor=\"0\" "
                                      "PresetVersion=\"3\"><Parameters/></QuorvelPresets>";
    expectRefused({"render", in, out, "--state", path("bad.xml")}, 1,
                  "is not a valid program text");
    std::ofstream(path("garbage.xml")) << "<<<<";
    expectRefused({"render", in, out, "--state", path("garbage.xml")}, 1,
                  "is not a valid program text");
    expectRefused({"state", "--program", "1", "--set", "Fire=1@2"}, 2, "applies only to render",
                  "none");
    expectRefused({"render", in, out, "--state", mDir.string()}, 1, "it is a directory");
    // Text from files and arguments is escaped: a newline never starts a second line.
    std::ofstream(path("forged.xml"))
        << "<QuorvelPresets VersionMajor=\"1\" PresetVersion=\"4\"><Parameters><Parameter "
           "id=\"27\" value=\"x&#10;quorvel: forged\n\" /></Parameters></QuorvelPresets>";
    expectRefused({"render", in, out, "--state", path("forged.xml")}, 1,
                  R"(value "x\nquorvel: forged\n" is not a valid Float)");
    expectRefused({"render", in, out, "--set", "Low\nGain=1"}, 2, "\"Low\\nGain\" is not a");
    // The input is untouched by every refusal.
    EXPECT_EQ(readWav("in.wav").frameCount(), 4410);
}

TEST_F(CommandLine, OddFilesRenderWholeAtAnyBlockLength) {
    // Dry only, the output is the input sample for sample whatever its length, rate, channels
    // or the block length; non-finite samples come out as zeros.
    const struct {
        const char* name;
        int channels, frames, rate;
    } files[] = {{"empty.wav", 1, 0, 44100},
                 {"one.wav", 2, 1, 48000},
                 {"short.wav", 1, 300, 22050},
                 {"high.wav", 2, 5000, 96000}};
    for (const auto& f : files) {
        AudioData input = noise(f.channels, f.frames, f.rate);
        if (f.frames > 1000) {
            input.channels[0][100] = NAN;
            input.channels[1][900] = -INFINITY;
        }
        writeWav(f.name, input);
        if (f.frames > 1000)
            input.channels[0][100] = input.channels[1][900] = 0.0f;
        for (const char* block : {"1", "1048576"}) {
            SCOPED_TRACE(std::string(f.name) + " --block " + block);
            const Result r = run({"render", path(f.name), path("out.wav"), "--dry-wet", "0",
                                  "--program", "4", "--block", block});
            ASSERT_EQ(r.status, 0) << r.err;
            const AudioData output = readWav("out.wav");
            EXPECT_EQ(output.sampleRate, f.rate);
            EXPECT_EQ(output.channels, input.channels);
        }
    }
}

TEST_F(CommandLine, AFailedWriteToStandardOutputIsAnError) {
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    for (const char* command : {"state", "programs"}) {
        SCOPED_TRACE(command);
        const std::string err = path("err");
        const int raw = std::system(
            (shellQuote(QUORVEL_CLI_PATH) + " " + command + " >/dev/full 2>" + shellQuote(err))
                .c_str());
        EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 1);
        EXPECT_EQ(readWhole(err), "quorvel: cannot write to standard output: No space left on "
                                  "device\n");
    }
}
