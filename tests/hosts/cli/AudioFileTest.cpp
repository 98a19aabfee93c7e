#include "CliRunner.hpp"
#include "hosts/cli/CliError.hpp"

using namespace quorvel::cli;
using CliTest::readWhole;

namespace {

using AudioFileTest = CliTest::CliTestBase;

AudioData ramp(int channels, int frames, int rate) {
    AudioData a;
    a.sampleRate = rate;
    a.channels.assign(size_t(channels), std::vector<float>(size_t(frames)));
    for (int c = 0; c < channels; ++c)
        for (int i = 0; i < frames; ++i)
            a.channels[size_t(c)][size_t(i)] = float(i % 200 - 100) / 128.0f * (c ? -1.0f : 1.0f);
    return a;
}

} // namespace

TEST_F(AudioFileTest, FloatWavRoundTripsExactly) {
    const AudioData in = ramp(2, 70000, 48000); // longer than one read chunk
    writeAudioFile(path("a.wav"), in, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    const AudioData out = readAudioFile(path("a.wav"));
    EXPECT_EQ(out.sampleRate, 48000);
    EXPECT_EQ(out.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    EXPECT_EQ(out.channels, in.channels);
    EXPECT_EQ(filesInDir(), 1u); // no temporary file left behind
}

TEST_F(AudioFileTest, IntegerOutputClipsInsteadOfWrapping) {
    AudioData loud = ramp(1, 4, 44100);
    loud.channels[0] = {1.5f, -2.0f, 0.5f, 0.0f};
    writeAudioFile(path("c.wav"), loud, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    const AudioData back = readAudioFile(path("c.wav"));
    EXPECT_GT(back.channels[0][0], 0.99f);
    EXPECT_LE(back.channels[0][1], -0.99f);
    EXPECT_NEAR(back.channels[0][2], 0.5f, 1.0f / 32768); // one 16-bit step
}

TEST_F(AudioFileTest, OutputFormatFollowsInputWhereTheContainerAllows) {
    const int floatWav = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    EXPECT_EQ(outputFormatFor("x.wav", floatWav), floatWav);
    EXPECT_EQ(outputFormatFor("x.WAV", SF_FORMAT_FLAC | SF_FORMAT_PCM_16),
              SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    EXPECT_EQ(outputFormatFor("x.flac", floatWav), SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
    EXPECT_EQ(outputFormatFor("x.ogg", floatWav), SF_FORMAT_OGG | SF_FORMAT_VORBIS);
    EXPECT_EQ(outputFormatFor("x.aiff", 0), SF_FORMAT_AIFF | SF_FORMAT_FLOAT);
    EXPECT_THROW(outputFormatFor("x.mp9", floatWav), CliError);
    EXPECT_THROW(outputFormatFor("noextension", floatWav), CliError);
    EXPECT_THROW(outputFormatFor("dir.wav/file", floatWav), CliError);
}

TEST_F(AudioFileTest, FailedWriteLeavesNoFileAndKeepsTheOldOne) {
    std::ofstream(path("keep.wav")) << "old contents";
    // A format libsndfile refuses for this rate: nothing may be created or replaced.
    EXPECT_THROW(
        writeAudioFile(path("keep.wav"), ramp(1, 10, 44100), SF_FORMAT_WAV | SF_FORMAT_VORBIS),
        CliError);
    EXPECT_EQ(readWhole(path("keep.wav")), "old contents");
    EXPECT_EQ(filesInDir(), 1u);
    EXPECT_THROW(writeAudioFile(path("no/such/dir.wav"), ramp(1, 10, 44100),
                                SF_FORMAT_WAV | SF_FORMAT_FLOAT),
                 CliError);
}

TEST_F(AudioFileTest, TextFileIsReplacedWhole) {
    writeTextFile(path("s.xml"), "first");
    writeTextFile(path("s.xml"), "second");
    EXPECT_EQ(readWhole(path("s.xml")), "second");
    EXPECT_EQ(filesInDir(), 1u);
}

TEST_F(AudioFileTest, AHeaderTheDecoderLoopsOnIsRefused) {
    // 143 bytes that make libsndfile loop for ever while opening them: RF64 and RIFF sizes of
    // 0xFFFFFFFF and a LIST chunk of 0xFF bytes.
    std::string bytes = "RF64\xff\xff\xff\xffWAVELIST";
    bytes += std::string("\x00\x05\xdc", 3) + std::string(101, '\xff') + "\xf8" +
             std::string(11, '\xff') + std::string("\x00WAVE\x08\x00PEA ", 11);
    ASSERT_EQ(bytes.size(), 143u);
    std::ofstream(path("loop.rf64"), std::ios::binary) << bytes;
    for (int fromMemory = 0; fromMemory < 2; ++fromMemory)
        try {
            fromMemory ? readAudioMemory(bytes.data(), bytes.size(), "loop.rf64")
                       : readAudioFile(path("loop.rf64"));
            ADD_FAILURE() << "read";
        } catch (const CliError& e) {
            EXPECT_NE(std::string(e.what()).find("the decoder does not get through its header"),
                      std::string::npos)
                << e.what();
        }
}

TEST_F(AudioFileTest, ForgedFrameCountReservesOnlyWhatArrives) {
    writeAudioFile(path("f.flac"), ramp(2, 100, 44100), SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    // The 36-bit total-samples field of STREAMINFO (low nibble of byte 21, bytes 22 to 25)
    // claims 2^31 - 1 frames.
    std::fstream file(path("f.flac"), std::ios::in | std::ios::out | std::ios::binary);
    char field[5];
    file.seekg(21);
    file.read(field, 5);
    field[0] = char(field[0] & 0xF0);
    field[1] = char(0x7F);
    field[2] = field[3] = field[4] = char(0xFF);
    file.seekp(21);
    file.write(field, 5);
    file.close();
    const AudioData audio = readAudioFile(path("f.flac"));
    ASSERT_EQ(audio.channelCount(), 2);
    EXPECT_EQ(audio.frameCount(), 100);
    EXPECT_LT(audio.channels[0].capacity(), 1024u);
    EXPECT_EQ(audio.channels, ramp(2, 100, 44100).channels); // 16-bit steps hold these exactly
}
