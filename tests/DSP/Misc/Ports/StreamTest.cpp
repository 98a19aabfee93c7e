#include "DSP/Misc/Ports/PhantomBuffer.hpp"
#include "DSP/Misc/Ports/WritingRegion.hpp"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "support/QuietAssertions.hpp"

using Buffer = DSP::PhantomBuffer<float>;
using Writer = DSP::WritingRegion<float>;
using Reader = Writer::Reader;
using Floats = std::vector<float>;

namespace {

Floats Contents(const Buffer& b) {
    return Floats(b.Data(), b.Data() + b.LogicalSize() + b.PhantomSize());
}

// Fills the logical part with 1, 2, 3, ... and mirrors it.
Buffer Counting(unsigned logical, unsigned phantom) {
    Buffer b;
    b.Resize(logical, phantom, 0);
    for (unsigned i = 0; i < logical; ++i)
        b[i] = static_cast<float>(i + 1);
    b.Touch(0, logical);
    return b;
}

// Writes stream position p as the value p into the writer's window, then produces.
void ProduceCounting(Writer& w) {
    for (int i = 0; i < w.Size(); ++i)
        w[i] = static_cast<float>(w.Pos() + i);
    w.Produce();
}

// True when the reader's window holds the stream positions Pos() .. Pos()+Size()-1.
::testing::AssertionResult WindowIsContiguous(Reader& r) {
    for (int i = 0; i < r.Size(); ++i)
        if (r[i] != static_cast<float>(r.Pos() + i))
            return ::testing::AssertionFailure()
                   << "window at " << r.Pos() << " holds " << r[i] << " at " << i;
    return ::testing::AssertionSuccess();
}

// Produces whenever possible and checks every window each reader can consume.
void StreamAndCheck(Writer& w, std::vector<Reader*> readers, int steps) {
    for (int step = 0; step < steps; ++step) {
        if (w.CanProduce())
            ProduceCounting(w);
        for (Reader* r : readers)
            for (; r->CanConsume(); r->Consume())
                ASSERT_TRUE(WindowIsContiguous(*r));
    }
}

} // namespace

TEST(PhantomBuffer, ResizeInsertsDefaultTokensAndTouchKeepsTheMirror) {
    Buffer b = Counting(4, 2);
    b.Resize(4, 4, 0); // not larger: buffers never shrink or change
    EXPECT_EQ(Contents(b), (Floats{1, 2, 3, 4, 1, 2}));
    b.Resize(8, 4, 2);
    EXPECT_EQ(Contents(b), (Floats{1, 2, 0, 0, 0, 0, 3, 4, 1, 2, 0, 0}));
    // Inserting at the head moves what the mirror copied, so the mirror follows the head.
    Buffer head = Counting(4, 2);
    head.Resize(8, 4, 0);
    EXPECT_EQ(Contents(head), (Floats{0, 0, 0, 0, 1, 2, 3, 4, 0, 0, 0, 0}));

    Buffer t = Counting(8, 4);
    t[7] = 70, t[8] = 80, t[9] = 90; // a window that ran past the end into the phantom zone
    t.Touch(7, 3);
    t[2] = 20, t[3] = 30, t[4] = 40; // and one at the head, mirrored into it
    t.Touch(2, 3);
    EXPECT_EQ(Contents(t), (Floats{80, 90, 20, 30, 40, 6, 7, 70, 80, 90, 20, 30}));
}

TEST(Stream, ReaderOfFourBehindSingleTokenWriter) {
    Writer w;
    EXPECT_EQ(w.LogicalSize(), 2);
    EXPECT_EQ(w.GetStream().GetBuffer().PhantomSize(), 2u);
    Reader r;
    EXPECT_FALSE(r.CanConsume()); // no producer yet
    r.Size(4);
    w.LinkRegions(r);
    EXPECT_EQ(w.LogicalSize(), 8);
    for (int produced = 0; produced < 8; ++produced) {
        EXPECT_EQ(r.CanConsume(), produced >= 4) << produced;
        // The writer may run at most 8 tokens ahead of what the reader has consumed.
        ASSERT_TRUE(w.CanProduce()) << produced;
        ProduceCounting(w);
    }
    EXPECT_FALSE(w.CanProduce());
    EXPECT_TRUE(WindowIsContiguous(r));
    r.Consume();
    EXPECT_TRUE(w.CanProduce());
}

// Every window a reader consumes holds exactly the tokens written at its positions, for
// any pairing of writer and reader sizes and hops, over many wraps of the buffer.
TEST(Stream, ReadersSeeContiguousWindowsAcrossWrapAround) {
    struct Case {
        int writeSize, writeHop, readSize, readHop;
    };
    const Case cases[] = {{1, 1, 4, 1}, {3, 3, 5, 2}, {4, 2, 3, 3}, {8, 8, 32, 8},
                          {5, 1, 7, 7}, {2, 1, 9, 4}, {16, 4, 6, 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "writer " << c.writeSize << "/" << c.writeHop
                                          << " reader " << c.readSize << "/" << c.readHop);
        Writer w;
        w.Size(c.writeSize);
        w.Hop(c.writeHop);
        Reader r;
        r.Size(c.readSize);
        r.Hop(c.readHop);
        w.LinkRegions(r);
        StreamAndCheck(w, {&r}, 400);
        EXPECT_GT(r.Pos(), 10 * w.LogicalSize()); // many laps, not a stall
    }
}

TEST(Stream, GrowingWhileTokensAreInFlightKeepsThemReadable) {
    Writer w;
    Reader early, late;
    early.Size(2);
    w.LinkRegions(early); // logical size 4
    for (int i = 0; i < 3; ++i)
        ProduceCounting(w);
    early.Consume(); // early holds 1, 2 pending
    late.Size(8);
    w.LinkRegions(late); // logical size 16, inserted at the writer's position
    EXPECT_EQ(w.LogicalSize(), 16);
    EXPECT_EQ(late.Pos(), 3);
    StreamAndCheck(w, {&early, &late}, 60);
    EXPECT_GT(late.Pos(), 40);

    // A reader exactly one buffer behind the writer shares its begin distance; its pending
    // tokens must move with the insertion.
    Writer full;
    Reader behind;
    full.LinkRegions(behind); // sizes 1: logical size 2
    ProduceCounting(full);
    ProduceCounting(full);
    ASSERT_EQ(behind.BeginDistance(), full.BeginDistance());
    behind.Size(4); // grows to 8 at the writer's position
    EXPECT_EQ(behind[0], 0);
    EXPECT_EQ(behind[1], 1);
}

TEST(Stream, LastWrittenDataIsTheWindowOfTheLastProduce) {
    Writer w;
    w.Size(3);
    w.Hop(3);
    for (int step = 0; step < 7; ++step) { // several wraps of the logical size 8
        ProduceCounting(w);
        for (int i = 0; i < 3; ++i)
            ASSERT_EQ(w.GetLastWrittenData(i), static_cast<float>(w.Pos() - 3 + i))
                << "step " << step;
    }
}

TEST(Stream, CenteringStartsReadersAroundTheWritersFirstToken) {
    QuietAssertions quiet;
    Writer w;
    w.Size(2);
    w.Hop(2);
    Reader small, large, odd;
    small.Size(4);
    large.Size(8);
    odd.Size(5);
    w.LinkRegions(small);
    w.LinkRegions(odd);
    EXPECT_DSP_ASSERT(w.CenterEvenRegions(), "WritingRegion::CheckRegionsAreEven - Reader's "
                                             "size must be even for centering.");
    odd.Size(6);
    w.Size(3);
    EXPECT_DSP_ASSERT(w.CenterEvenRegions(), "WritingRegion::CheckRegionsAreEven - Writer's "
                                             "size must be even for centering.");
    EXPECT_EQ(w.Pos(), 0);
    w.Size(2);
    w.LinkRegions(large);
    w[0] = w[1] = 9.f; // stale data that the centring must overwrite
    w.CenterEvenRegions();
    EXPECT_EQ(w.Pos(), 4);                                              // four zeros written
    EXPECT_EQ(std::make_pair(w.Size(), w.Hop()), std::make_pair(2, 2)); // restored
    EXPECT_EQ(small.Pos(), 2);
    EXPECT_EQ(large.Pos(), 0);
    for (float value : {10.f, 0.f}) {
        w[0] = value;
        w[1] = value + 1;
        w.Produce();
    }
    ASSERT_TRUE(large.CanConsume());
    EXPECT_EQ(Floats(&large[0], &large[0] + 8), (Floats{0, 0, 0, 0, 10, 11, 0, 1}));
    EXPECT_EQ(small[2], 10);
}
