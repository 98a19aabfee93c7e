#include "DSP/Data/Audio.hpp"

#include "DSP/Data/GlobalProcessInfo.hpp"
#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using DSP::Audio;

std::vector<float> Samples(const Audio& a) {
    return std::vector<float>(a.GetBuffer().GetPtr(), a.GetBuffer().GetPtr() + a.GetSize());
}

// A block of the given samples at 1000 Hz, so that one sample lasts exactly 1 ms.
Audio Block(const std::vector<float>& samples) {
    Audio a;
    a.SetSampleRate(1000.f);
    a.SetSize(static_cast<int>(samples.size()));
    for (size_t i = 0; i < samples.size(); ++i)
        a.GetBuffer()[static_cast<int>(i)] = samples[i];
    return a;
}

class AudioTest : public ::testing::Test {
protected:
    QuietAssertions quiet;
    const Audio block = Block({1.f, 2.f, 3.f, 4.f});
};

TEST_F(AudioTest, NewBlockTakesTheProcessWideSampleRate) {
    const float previous = GlobalProcessInfo::GetSampleRate();
    GlobalProcessInfo::SetSampleRate(48000.f);
    Audio a;
    GlobalProcessInfo::SetSampleRate(previous);
    EXPECT_EQ(a.GetSampleRate(), 48000.f);
    EXPECT_EQ(a.GetSize(), 0);
    EXPECT_EQ(a.GetBeginTime(), 0.0);
}

TEST_F(AudioTest, SetSizeKeepsSamplesAndZeroesNewOnes) {
    Audio a = block;
    a.SetSize(6);
    EXPECT_EQ(Samples(a), (std::vector<float>{1, 2, 3, 4, 0, 0}));
    EXPECT_EQ(a.GetBuffer().AllocatedSize(), 6);
    a.SetSize(2);
    EXPECT_EQ(Samples(a), (std::vector<float>{1, 2}));
    EXPECT_EQ(a.GetBuffer().AllocatedSize(), 2);
}

TEST_F(AudioTest, NegativeSizeThrowsInsteadOfEndingTheProcessAndKeepsTheBlock) {
    Audio a = block;
    EXPECT_DSP_ASSERT(a.SetSize(-1), "Audio::SetSize: the size must not be negative");
    EXPECT_EQ(Samples(a), Samples(block));
    EXPECT_EQ(QuietAssertions::Reports(), 1);
}

TEST_F(AudioTest, TimesAndIndicesConvertThroughTheSampleRate) {
    Audio a;
    a.SetSampleRate(44100.f);
    EXPECT_EQ(a.GetIndexFromTime(10.0), 441);
    EXPECT_DOUBLE_EQ(a.GetTimeFromIndex(441), 10.0);
    // Half a sample rounds away from zero.
    EXPECT_EQ(block.GetIndexFromTime(2.5), 3);
    EXPECT_EQ(block.GetIndexFromTime(2.4), 2);
    a.ResizeToDuration(10.0);
    EXPECT_EQ(a.GetSize(), 441);
    a.SetBeginTime(5.0);
    a.ResizeToEndTime(25.0);
    EXPECT_EQ(a.GetSize(), 882);
    EXPECT_DOUBLE_EQ(a.GetEndTime(), 25.0);
}

std::string sLastWarning;
void RecordWarning(const char* message, const char*, int) {
    sLastWarning = message;
}

TEST_F(AudioTest, DeprecatedResizersWarnAndThenResize) {
    const auto previous = DSP::SetWarningHandler(&RecordWarning);
    Audio a = block;
    a.SetDuration(7.0);
    EXPECT_EQ(sLastWarning, "Audio::SetDuration is about to be deprecated. Please use "
                            "Audio::ResizeToDuration instead");
    EXPECT_EQ(a.GetSize(), 7);
    a.SetEndTime(3.0);
    EXPECT_EQ(sLastWarning, "Audio::SetEndTime is about to be deprecated. Please use "
                            "Audio::ResizeToEndTime instead");
    EXPECT_EQ(a.GetSize(), 3);
    DSP::SetWarningHandler(previous);
}

TEST_F(AudioTest, ChunkPadsWithSilenceOutsideTheBlock) {
    struct Case {
        int begin, end;
        std::vector<float> expected;
    };
    const Case cases[] = {
        {-2, 3, {0, 0, 1, 2, 3}}, {2, 6, {3, 4, 0, 0}}, {-1, 5, {0, 1, 2, 3, 4, 0}},
        {-5, -2, {0, 0, 0}},      {1, 3, {2, 3}},       {4, 6, {0, 0}},
    };
    for (const Case& c : cases) {
        Audio chunk = Block({9, 9, 9, 9, 9, 9, 9, 9});
        block.GetAudioChunk(c.begin, c.end, chunk, true);
        EXPECT_EQ(Samples(chunk), c.expected) << c.begin << ".." << c.end;
    }
}

TEST_F(AudioTest, ConfiguredChunkTakesBeginTimeAndSampleRate) {
    Audio chunk;
    chunk.SetSampleRate(8000.f);
    block.GetAudioChunk(-2, 3, chunk, true);
    EXPECT_EQ(chunk.GetSampleRate(), 1000.f);
    EXPECT_DOUBLE_EQ(chunk.GetBeginTime(), -2.0);
    // The time form converts both times to indices at this block's rate (1 sample per ms).
    Audio byTime;
    block.GetAudioChunk(1.0, 3.0, byTime, true);
    EXPECT_EQ(Samples(byTime), (std::vector<float>{2, 3}));
}

TEST_F(AudioTest, UnconfiguredChunkWritesOnlyItsFirstSamples) {
    Audio chunk = Block({9, 9, 9, 9});
    block.GetAudioChunk(3, 5, chunk, false);
    EXPECT_EQ(Samples(chunk), (std::vector<float>{4, 0, 9, 9}));
}

TEST_F(AudioTest, BadChunkRequestsAreRefusedWithoutTouchingTheChunk) {
    Audio chunk = Block({9, 9});
    EXPECT_DSP_ASSERT(block.GetAudioChunk(2, 2, chunk, true),
                      "Audio::GetAudioChunk: Incorrect index boundaries for audio chunk");
    // Without configuring, a chunk too small for the request would be written past its end.
    EXPECT_DSP_ASSERT(block.GetAudioChunk(0, 3, chunk, false),
                      "Audio::GetAudioChunk: the chunk holds fewer samples than requested");
    EXPECT_DSP_ASSERT(block.GetAudioChunk(10, 13, chunk, false),
                      "Audio::GetAudioChunk: the chunk holds fewer samples than requested");
    EXPECT_EQ(Samples(chunk), (std::vector<float>{9, 9}));
}

TEST_F(AudioTest, SliceCopiesARangeInsideTheBlock) {
    Audio slice;
    block.GetAudioSlice(1, 3, slice, true);
    EXPECT_EQ(Samples(slice), (std::vector<float>{2, 3}));
    EXPECT_DOUBLE_EQ(slice.GetBeginTime(), 1.0);
    EXPECT_EQ(slice.GetSampleRate(), 1000.f);
}

TEST_F(AudioTest, SliceOutsideTheBlockIsRefused) {
    Audio slice = Block({9});
    EXPECT_DSP_ASSERT(block.GetAudioSlice(1, 5, slice, true),
                      "Slices are not allowed to surpass audio size");
    EXPECT_DSP_ASSERT(block.GetAudioSlice(-1, 2, slice, true),
                      "Negative indexes are not allowed for audio slices");
    EXPECT_DSP_ASSERT(block.GetAudioSlice(3, 1, slice, true),
                      "Audio::GetAudioSlice: Incorrect index boundaries for audio slice");
    EXPECT_DSP_ASSERT(block.GetAudioSlice(0, 2, slice, false),
                      "Audio::GetAudioSlice: the slice holds fewer samples than requested");
    EXPECT_EQ(Samples(slice), (std::vector<float>{9}));
}

TEST_F(AudioTest, SetChunkWritesInsideTheBlockOnly) {
    const Audio chunk = Block({7, 8, 9});
    struct Case {
        int begin;
        std::vector<float> expected;
    };
    const Case cases[] = {
        {0, {7, 8, 9, 4}}, {2, {1, 2, 7, 8}}, {-2, {9, 2, 3, 4}}, {3, {1, 2, 3, 7}}};
    for (const Case& c : cases) {
        Audio a = block;
        a.SetAudioChunk(c.begin, chunk);
        EXPECT_EQ(Samples(a), c.expected) << c.begin;
    }
    Audio a = block;
    EXPECT_DSP_ASSERT(a.SetAudioChunk(4, chunk), "Audio::SetAudioChunk: Incorrect begin index");
    EXPECT_EQ(Samples(a), Samples(block));
}

TEST(GlobalProcessInfoTest, LatencyAndSpectralRangeFollowTheSampleRate) {
    const float previous = GlobalProcessInfo::GetSampleRate();
    EXPECT_EQ(GlobalProcessInfo::GetFrameSize(), 256.f);
    GlobalProcessInfo::SetSampleRate(48000.f);
    EXPECT_FLOAT_EQ(GlobalProcessInfo::GetLatency(), 1024.f / 48000.f);
    EXPECT_EQ(GlobalProcessInfo::GetSpectralRange(), 24000.f);
    GlobalProcessInfo::SetSampleRate(previous);
}

} // namespace
