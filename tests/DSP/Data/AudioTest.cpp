#include "DSP/Data/Audio.hpp"

#include "DSP/Data/GlobalProcessInfo.hpp"
#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using DSP::Audio;
using Floats = std::vector<float>;

Floats Samples(const Audio& a) {
    return Floats(a.GetBuffer().GetPtr(), a.GetBuffer().GetPtr() + a.GetSize());
}

// A block of the given samples at 1000 Hz, so that one sample lasts exactly 1 ms.
Audio Block(const Floats& samples) {
    Audio a;
    a.SetSampleRate(1000.f);
    a.SetSize(static_cast<int>(samples.size()));
    std::copy(samples.begin(), samples.end(), a.GetBuffer().GetPtr());
    return a;
}

std::string sLastWarning;

class AudioTest : public ::testing::Test {
protected:
    QuietAssertions quiet;
    const Audio block = Block({1.f, 2.f, 3.f, 4.f});
};

TEST_F(AudioTest, SizesAndTimesFollowTheSampleRate) {
    const float previous = GlobalProcessInfo::GetSampleRate();
    GlobalProcessInfo::SetSampleRate(48000.f);
    Audio a;
    GlobalProcessInfo::SetSampleRate(previous);
    EXPECT_EQ(a.GetSampleRate(), 48000.f); // a new block takes the process-wide rate
    a.SetSampleRate(44100.f);
    a.ResizeToDuration(10.0);
    EXPECT_EQ(a.GetSize(), 441);
    a.SetBeginTime(5.0);
    a.ResizeToEndTime(25.0);
    EXPECT_EQ(a.GetSize(), 882);
    EXPECT_EQ(block.GetIndexFromTime(2.5), 3); // half a sample rounds away from zero
    EXPECT_EQ(block.GetIndexFromTime(2.4), 2);
    Audio b = block;
    b.SetSize(6);
    EXPECT_EQ(Samples(b), (Floats{1, 2, 3, 4, 0, 0}));
    b.SetSize(2);
    EXPECT_EQ(b.GetBuffer().AllocatedSize(), 2);

    const auto handler = DSP::SetWarningHandler(
        [](const char* message, const char*, int) { sLastWarning = message; });
    b.SetDuration(7.0);
    EXPECT_EQ(sLastWarning, "Audio::SetDuration is about to be deprecated. Please use "
                            "Audio::ResizeToDuration instead");
    EXPECT_EQ(b.GetSize(), 7);
    b.SetEndTime(3.0);
    EXPECT_EQ(sLastWarning, "Audio::SetEndTime is about to be deprecated. Please use "
                            "Audio::ResizeToEndTime instead");
    EXPECT_EQ(b.GetSize(), 3);
    DSP::SetWarningHandler(handler);
}

TEST_F(AudioTest, ChunksPadWithSilenceAndSlicesCopyInside) {
    const struct {
        int begin, end;
        Floats expected;
    } cases[] = {{-2, 3, {0, 0, 1, 2, 3}},
                 {2, 6, {3, 4, 0, 0}},
                 {-1, 5, {0, 1, 2, 3, 4, 0}},
                 {-5, -2, {0, 0, 0}},
                 {4, 6, {0, 0}}};
    for (const auto& c : cases) {
        Audio chunk = Block({9, 9, 9, 9, 9, 9, 9, 9});
        block.GetAudioChunk(c.begin, c.end, chunk, true);
        EXPECT_EQ(Samples(chunk), c.expected) << c.begin << ".." << c.end;
    }
    Audio chunk = Block({9, 9, 9, 9});
    chunk.SetSampleRate(8000.f);
    block.GetAudioChunk(-2, 3, chunk, true);
    EXPECT_EQ(chunk.GetSampleRate(), 1000.f);
    EXPECT_EQ(chunk.GetBeginTime(), -2.0);
    chunk = Block({9, 9, 9, 9});
    block.GetAudioChunk(3, 5, chunk, false); // unconfigured: only the first samples change
    EXPECT_EQ(Samples(chunk), (Floats{4, 0, 9, 9}));
    block.GetAudioChunk(1.0, 3.0, chunk, true); // times convert at this block's rate
    EXPECT_EQ(Samples(chunk), (Floats{2, 3}));
    Audio slice;
    block.GetAudioSlice(1, 3, slice, true);
    EXPECT_EQ(Samples(slice), (Floats{2, 3}));
    EXPECT_EQ(slice.GetBeginTime(), 1.0);
    EXPECT_EQ(slice.GetSampleRate(), 1000.f);
}

TEST_F(AudioTest, SetChunkWritesInsideTheBlockOnly) {
    const Audio chunk = Block({7, 8, 9});
    const std::pair<int, Floats> cases[] = {
        {0, {7, 8, 9, 4}}, {2, {1, 2, 7, 8}}, {-2, {9, 2, 3, 4}}, {3, {1, 2, 3, 7}}};
    for (const auto& [begin, expected] : cases) {
        Audio a = block;
        a.SetAudioChunk(begin, chunk);
        EXPECT_EQ(Samples(a), expected) << begin;
    }
}

TEST_F(AudioTest, BadRequestsAreRefusedAndChangeNothing) {
    Audio a = block, small = Block({9, 9});
    // A negative size would end the process; a too small destination would be overrun.
    EXPECT_DSP_ASSERT(a.SetSize(-1), "Audio::SetSize: the size must not be negative");
    EXPECT_DSP_ASSERT(a.SetAudioChunk(4, small), "Audio::SetAudioChunk: Incorrect begin index");
    EXPECT_DSP_ASSERT(block.GetAudioChunk(2, 2, small, true),
                      "Audio::GetAudioChunk: Incorrect index boundaries for audio chunk");
    for (int begin : {0, 10})
        EXPECT_DSP_ASSERT(block.GetAudioChunk(begin, begin + 3, small, false),
                          "Audio::GetAudioChunk: the chunk holds fewer samples than requested");
    EXPECT_DSP_ASSERT(block.GetAudioSlice(1, 5, small, true),
                      "Slices are not allowed to surpass audio size");
    EXPECT_DSP_ASSERT(block.GetAudioSlice(-1, 2, small, true),
                      "Negative indexes are not allowed for audio slices");
    EXPECT_DSP_ASSERT(block.GetAudioSlice(3, 1, small, true),
                      "Audio::GetAudioSlice: Incorrect index boundaries for audio slice");
    EXPECT_DSP_ASSERT(block.GetAudioSlice(0, 3, small, false),
                      "Audio::GetAudioSlice: the slice holds fewer samples than requested");
    EXPECT_EQ(Samples(a), Samples(block));
    EXPECT_EQ(Samples(small), (Floats{9, 9}));
}

} // namespace
