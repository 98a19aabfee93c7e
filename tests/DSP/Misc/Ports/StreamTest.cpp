#include "DSP/Misc/Ports/PhantomBuffer.hpp"
#include "DSP/Misc/Ports/WritingRegion.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "support/QuietAssertions.hpp"

using Buffer = DSP::PhantomBuffer<float>;
using Writer = DSP::WritingRegion<float>;
using Reader = Writer::Reader;

namespace {

std::vector<float> Contents(const Buffer& b) {
    return std::vector<float>(b.Data(), b.Data() + b.LogicalSize() + b.PhantomSize());
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

} // namespace

TEST(PhantomBuffer, ResizeRefusesBadRequestsAndLeavesBufferAlone) {
    QuietAssertions quiet;
    Buffer b = Counting(4, 2);
    const auto before = Contents(b);
    EXPECT_DSP_ASSERT(b.Resize(8, 2, 5), "PhantomBuffer::Resize(): Insertion position can not "
                                         "be greater than previous size.");
    EXPECT_DSP_ASSERT(b.Resize(8, 9, 0),
                      "PhantomBuffer::Resize(): Phantom Size can not be greater than size.");
    EXPECT_DSP_ASSERT(b.Resize(8, 1, 0),
                      "PhantomBuffer::Resize(): PhantomSize can not be decreased.");
    b.Resize(4, 4, 0); // not larger: buffers never shrink or change
    EXPECT_EQ(Contents(b), before);
}

TEST(PhantomBuffer, ResizeInsertsDefaultTokensAndKeepsTheMirror) {
    Buffer b = Counting(4, 2);
    EXPECT_EQ(Contents(b), (std::vector<float>{1, 2, 3, 4, 1, 2}));
    b.Resize(8, 4, 2);
    EXPECT_EQ(Contents(b), (std::vector<float>{1, 2, 0, 0, 0, 0, 3, 4, 1, 2, 0, 0}));

    // Inserting at the head moves what the mirror copied, so the mirror follows the head.
    Buffer head = Counting(4, 2);
    head.Resize(8, 4, 0);
    EXPECT_EQ(Contents(head), (std::vector<float>{0, 0, 0, 0, 1, 2, 3, 4, 0, 0, 0, 0}));
}

TEST(PhantomBuffer, TouchCopiesBetweenHeadAndPhantomZone) {
    Buffer b = Counting(8, 4);
    // A window that ran past the end was written into the phantom zone ...
    b[7] = 70, b[8] = 80, b[9] = 90;
    b.Touch(7, 3);
    EXPECT_EQ(b[0], 80);
    EXPECT_EQ(b[1], 90);
    EXPECT_EQ(b[2], 3);
    // ... and one at the head is mirrored into it.
    b[2] = 20, b[3] = 30, b[4] = 40;
    b.Touch(2, 3);
    EXPECT_EQ(Contents(b), (std::vector<float>{80, 90, 20, 30, 40, 6, 7, 70, 80, 90, 20, 30}));
}

TEST(Stream, NewWriterHoldsTwoTokensAndTwoPhantoms) {
    Writer w;
    EXPECT_EQ(w.Size(), 1);
    EXPECT_EQ(w.Hop(), 1);
    EXPECT_EQ(w.LogicalSize(), 2);
    EXPECT_EQ(w.GetStream().GetBuffer().PhantomSize(), 2u);
}

TEST(Stream, ReaderOfFourBehindSingleTokenWriter) {
    Writer w;
    Reader r;
    r.Size(4);
    w.LinkRegions(r);
    EXPECT_EQ(w.LogicalSize(), 8);

    for (int produced = 0; produced < 4; ++produced) {
        EXPECT_FALSE(r.CanConsume()) << "after " << produced << " tokens";
        ProduceCounting(w);
    }
    EXPECT_TRUE(r.CanConsume());
    EXPECT_TRUE(WindowIsContiguous(r));

    // The writer may run at most 8 tokens ahead of what the reader has consumed.
    for (int produced = 4; produced < 8; ++produced) {
        ASSERT_TRUE(w.CanProduce()) << "after " << produced << " tokens";
        ProduceCounting(w);
    }
    EXPECT_FALSE(w.CanProduce());
    r.Consume();
    EXPECT_TRUE(w.CanProduce());
}

TEST(Stream, UnlinkedReaderCannotConsume) {
    Reader r;
    EXPECT_FALSE(r.CanConsume());
    EXPECT_EQ(r.ProducerRegion(), nullptr);
    EXPECT_EQ(r.BeginReaders(), r.EndReaders());
    r.Consume(); // moves the position only
    EXPECT_EQ(r.Pos(), 1);
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
        int windows = 0;
        for (int step = 0; step < 400; ++step) {
            if (w.CanProduce())
                ProduceCounting(w);
            while (r.CanConsume()) {
                ASSERT_TRUE(WindowIsContiguous(r));
                r.Consume();
                ++windows;
            }
        }
        EXPECT_GT(windows * c.readHop, 10 * w.LogicalSize()); // many laps, not a stall
    }
}

TEST(Stream, WriteAcrossTheEndAppearsAtTheHead) {
    Writer w;
    w.Size(4);
    w.Hop(3);
    Reader r;
    r.Size(4);
    r.Hop(3);
    w.LinkRegions(r);
    ASSERT_EQ(w.LogicalSize(), 8);
    ProduceCounting(w); // positions 0..3 at indices 0..3
    ProduceCounting(w); // 3..6 at 3..6
    r.Consume();
    r.Consume();
    ProduceCounting(w); // 6..9 at 6..9: 8 and 9 land in the phantom zone
    const Buffer& b = w.GetStream().GetBuffer();
    EXPECT_EQ(b[8], 8);
    EXPECT_EQ(b[9], 9);
    EXPECT_EQ(b[0], 8);
    EXPECT_EQ(b[1], 9);
    ProduceCounting(w); // 9..12 at the head, mirrored back into the phantom zone
    ASSERT_TRUE(r.CanConsume());
    EXPECT_EQ(r.BeginDistance(), 6);
    EXPECT_TRUE(WindowIsContiguous(r));
}

TEST(Stream, GrowingWhileTokensAreInFlightKeepsThemReadable) {
    Writer w;
    Reader early;
    early.Size(2);
    w.LinkRegions(early); // logical size 4
    for (int i = 0; i < 3; ++i)
        ProduceCounting(w);
    early.Consume(); // early holds 1, 2 pending

    Reader late;
    late.Size(8);
    w.LinkRegions(late); // logical size 16, inserted at the writer's position
    EXPECT_EQ(w.LogicalSize(), 16);
    EXPECT_EQ(late.Pos(), 3);

    for (int step = 0; step < 60; ++step) {
        if (w.CanProduce())
            ProduceCounting(w);
        while (early.CanConsume()) {
            ASSERT_TRUE(WindowIsContiguous(early));
            early.Consume();
        }
        while (late.CanConsume()) {
            ASSERT_TRUE(WindowIsContiguous(late));
            late.Consume();
        }
    }
    EXPECT_GT(late.Pos(), 40);
}

TEST(Stream, ReaderBehindTheWriterMovesWhenBufferGrows) {
    // A reader exactly one buffer behind the writer shares its begin distance; its pending
    // tokens must move with the insertion.
    Writer w;
    Reader r;
    w.LinkRegions(r); // sizes 1: logical size 2
    ProduceCounting(w);
    ProduceCounting(w);
    ASSERT_FALSE(w.CanProduce());
    ASSERT_EQ(r.BeginDistance(), w.BeginDistance());
    r.Size(4); // grows to 8 at the writer's position
    EXPECT_EQ(w.LogicalSize(), 8);
    EXPECT_EQ(r[0], 0);
    EXPECT_EQ(r[1], 1);
}

TEST(Stream, HopMayNotExceedSize) {
    QuietAssertions quiet;
    Reader r;
    r.Size(4);
    EXPECT_DSP_ASSERT(r.Hop(5), "Region::hop() - hop can't be greater than size");
    EXPECT_DSP_ASSERT(r.Hop(-1), "Region::hop() - hop can't be negative");
    EXPECT_DSP_ASSERT(r.Size(-4), "Region::size() - size can't be negative");
    EXPECT_EQ(r.Hop(), 1);
    EXPECT_EQ(r.Size(), 4);
    r.Hop(4);
    EXPECT_EQ(r.Hop(), 4);
}

TEST(Stream, LastWrittenDataIsTheWindowOfTheLastProduce) {
    Writer w;
    w.Size(3);
    w.Hop(3);
    ASSERT_EQ(w.LogicalSize(), 8);
    for (int step = 0; step < 7; ++step) {
        ProduceCounting(w);
        const float first = static_cast<float>(w.Pos() - 3);
        for (int i = 0; i < 3; ++i)
            ASSERT_EQ(w.GetLastWrittenData(i), first + i) << "step " << step;
    }
}

TEST(Stream, CenteringStartsReadersAroundTheWritersFirstToken) {
    Writer w;
    w.Size(2);
    w.Hop(2);
    Reader small, large;
    small.Size(4);
    large.Size(8);
    w.LinkRegions(small);
    w.LinkRegions(large);
    for (int i = 0; i < 2; ++i)
        w[i] = 9.f; // stale data that the centring must overwrite
    w.CenterEvenRegions();

    EXPECT_EQ(w.Pos(), 4); // four zeros written
    EXPECT_EQ(w.Size(), 2);
    EXPECT_EQ(w.Hop(), 2);
    EXPECT_EQ(small.Pos(), 2);
    EXPECT_EQ(large.Pos(), 0);

    for (int i = 0; i < 2; ++i)
        w[i] = static_cast<float>(10 + i);
    w.Produce();
    ASSERT_TRUE(small.CanConsume());
    EXPECT_EQ(small[0], 0);
    EXPECT_EQ(small[1], 0);
    EXPECT_EQ(small[2], 10);
    EXPECT_EQ(small[3], 11);
    EXPECT_FALSE(large.CanConsume());
    for (int i = 0; i < 2; ++i)
        w[i] = 0;
    w.Produce();
    ASSERT_TRUE(large.CanConsume());
    const float expected[8] = {0, 0, 0, 0, 10, 11, 0, 0};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(large[i], expected[i]) << i;
}

TEST(Stream, CenteringNeedsEvenSizes) {
    QuietAssertions quiet;
    Writer w;
    w.Size(2);
    Reader odd;
    odd.Size(5);
    w.LinkRegions(odd);
    EXPECT_DSP_ASSERT(w.CenterEvenRegions(), "WritingRegion::CheckRegionsAreEven - Reader's "
                                             "size must be even for centering.");
    w.Size(3);
    EXPECT_DSP_ASSERT(w.CenterEvenRegions(), "WritingRegion::CheckRegionsAreEven - Writer's "
                                             "size must be even for centering.");
    EXPECT_EQ(w.Pos(), 0);
    EXPECT_EQ(w.Size(), 3);
}
