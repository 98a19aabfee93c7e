#include "CliRunner.hpp"

#include <cmath>
#include <fstream>

using namespace CliTest;
using quorvel::cli::AudioData;

namespace {

AudioData tone(int channels, int frames, float frequency) {
    AudioData a;
    a.sampleRate = 44100;
    a.channels.assign(size_t(channels), std::vector<float>(size_t(frames)));
    for (auto& channel : a.channels)
        for (size_t i = 0; i < channel.size(); ++i)
            channel[i] = 0.3f * std::sin(6.2831853f * frequency * float(i) / 44100.f);
    return a;
}

size_t filesIn(const std::string& folder) {
    return size_t(std::distance(std::filesystem::directory_iterator(folder),
                                std::filesystem::directory_iterator{}));
}

using Batch = CliTestBase;

} // namespace

// Each file renders as it would alone; a bad file is one error line and no output, the others
// still render, and the status says something failed.
TEST_F(Batch, RendersEveryGoodFileAsAloneAndReportsTheBadOne) {
    writeWav("a.wav", tone(2, 30000, 440.f));
    writeWav("b.wav", tone(1, 20000, 220.f));
    std::ofstream(path("bad.wav")) << "not audio";
    const std::vector<std::string> program{"--program", "Pitch Shift", "--quiet"};
    std::vector<std::string> args{"render",    path("a.wav"), path("bad.wav"), path("b.wav"),
                                  "--out-dir", path("out"),   "--jobs",        "2"};
    args.insert(args.end(), program.begin(), program.end());
    const Result r = run(args);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("quorvel: " + path("bad.wav") + ": cannot read", 0), 0u) << r.err;
    EXPECT_EQ(r.err.substr(r.err.find('\n')), "\nquorvel: 1 of 3 files failed\n") << r.err;
    EXPECT_NE(r.out.find("rendered 2 of 3 files into " + path("out")), std::string::npos) << r.out;
    EXPECT_EQ(filesIn(path("out")), 2u); // no partial or temporary file
    for (const char* name : {"a.wav", "b.wav"}) {
        std::vector<std::string> alone{"render", path(name), path(name) + ".alone.wav"};
        alone.insert(alone.end(), program.begin(), program.end());
        ASSERT_EQ(run(alone).status, 0);
        EXPECT_EQ(readWav("out/" + std::string(name)).channels,
                  readWav(std::string(name) + ".alone.wav").channels)
            << name;
    }
}

TEST_F(Batch, RefusesToWriteOverAnInputOrTwiceToOneFile) {
    writeWav("a.wav", tone(1, 4410, 440.f));
    std::filesystem::create_directories(path("sub"));
    writeWav("sub/a.wav", tone(1, 4410, 220.f));
    const std::string before = readWhole(path("a.wav"));
    // Into the inputs' own folder: every output would be an input.
    Result r = run({"render", path("a.wav"), "--out-dir", mDir.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("refusing to write the output over the input"), std::string::npos);
    // Two inputs of one name: the first renders, the second is refused.
    r = run({"render", path("a.wav"), path("sub/a.wav"), "--out-dir", path("out"), "--quiet"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("would both write"), std::string::npos) << r.err;
    EXPECT_EQ(filesIn(path("out")), 1u);
    EXPECT_EQ(readWhole(path("a.wav")), before);
    // Mistakes that concern every file are one usage error, before anything is written.
    r = run({"render", path("a.wav"), "--out-dir", path("none"), "--program", "Chorus"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_FALSE(std::filesystem::exists(path("none")));
    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"render", path("a.wav"), path("x.wav"), "--jobs", "2"},
          {"render", "--out-dir", path("out")},
          {"render", path("a.wav"), "--out-dir", path("out"), "--jobs", "0"},
          {"render", path("a.wav"), "--out-dir", path("out"), "--spectrogram", path("a.png")}})
        EXPECT_EQ(run(bad).status, 2);
}
