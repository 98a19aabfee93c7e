#include "DSP/Processing/Analysis/CircularShift.hpp"

#include "DSP/Misc/Ports/AudioInPort.hpp"
#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

namespace {

using DSP::Array;
using DSP::CircularShift;
using DSP::CircularShiftConfig;

Array<float> Ramp(int size) {
    Array<float> a(size);
    for (int i = 0; i < size; ++i)
        a[i] = float(i);
    return a;
}

CircularShiftConfig Shift(float amount) {
    CircularShiftConfig config;
    config.SetAmount(amount);
    return config;
}

class CircularShiftTest : public ::testing::Test {
protected:
    QuietAssertions quiet;
};

TEST_F(CircularShiftTest, RotatesTowardHigherIndicesForPositiveAmounts) {
    CircularShift shift(Shift(3.0f));
    const Array<float> in = Ramp(10);
    Array<float> out(10);
    shift.Do(in, out);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(out[(i + 3) % 10], in[i]);
}

TEST_F(CircularShiftTest, MinusHalfMovesTheCentreSampleToIndexZero) {
    CircularShift shift(Shift(-512.0f));
    Array<float> frame = Ramp(1024);
    shift.Do(frame, frame);
    EXPECT_EQ(frame[0], 512.0f);
    EXPECT_EQ(frame[511], 1023.0f);
    EXPECT_EQ(frame[512], 0.0f);
}

TEST_F(CircularShiftTest, ShiftingBackRestoresTheInputInPlaceOrNot) {
    for (int amount : {1, 5, 511, 512, 1023}) {
        CircularShift forward(Shift(float(amount)));
        CircularShift backward(Shift(float(-amount)));
        const Array<float> in = Ramp(1024);
        Array<float> copy(1024), inPlace = Ramp(1024);
        forward.Do(in, copy);
        forward.Do(inPlace, inPlace);
        for (int i = 0; i < 1024; ++i)
            ASSERT_EQ(copy[i], inPlace[i]) << "amount " << amount;
        backward.Do(copy, copy);
        for (int i = 0; i < 1024; ++i)
            ASSERT_EQ(copy[i], in[i]) << "amount " << amount;
    }
}

TEST_F(CircularShiftTest, AmountIsTruncatedTowardZero) {
    EXPECT_EQ(CircularShift(Shift(2.9f)).GetShift(), 2);
    EXPECT_EQ(CircularShift(Shift(-2.9f)).GetShift(), -2);
    EXPECT_EQ(CircularShift(Shift(0.0f)).GetShift(), 0);
}

TEST_F(CircularShiftTest, ShiftsLongerThanTheBufferWrapAround) {
    CircularShift longShift(Shift(13.0f));
    CircularShift shortShift(Shift(3.0f));
    const Array<float> in = Ramp(10);
    Array<float> a(10), b(10);
    longShift.Do(in, a);
    shortShift.Do(in, b);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(a[i], b[i]);
}

TEST_F(CircularShiftTest, AudioAndSpectrumFormsRotateSamplesAndMagnitudes) {
    CircularShift shift(Shift(-1.0f));
    DSP::Audio in, out;
    in.SetSize(4);
    out.SetSize(4);
    in.GetBuffer()[1] = 5.0f;
    shift.Do(in, out);
    EXPECT_EQ(out.GetBuffer()[0], 5.0f);

    DSP::Spectrum a, b;
    a.SetSize(4);
    b.SetSize(4);
    a.GetMagBuffer()[1] = 5.0f;
    shift.Do(a, b);
    EXPECT_EQ(b.GetMagBuffer()[0], 5.0f);
}

TEST_F(CircularShiftTest, DifferentSizesAreRefusedWithoutChange) {
    CircularShift shift(Shift(1.0f));
    EXPECT_STREQ(shift.GetDSPClassName(), "CircularShift");
    const Array<float> in = Ramp(8);
    Array<float> out(7);
    out[0] = 9.0f;
    EXPECT_DSP_ASSERT(shift.Do(in, out),
                      "CircularShift::Do(): input and output vectors do not  match");
    EXPECT_EQ(out[0], 9.0f);
    EXPECT_EQ(out.Size(), 7);
}

TEST_F(CircularShiftTest, PortDrivenShiftRotatesTheInputWindow) {
    CircularShift shift(Shift(1.0f));
    DSP::AudioOutPort source("source");
    DSP::AudioInPort sink("sink");
    source.ConnectToIn(shift.GetInput());
    shift.GetOutput().ConnectToIn(sink);
    for (int i = 0; i < 512; ++i)
        source.GetAudio().GetBuffer()[i] = float(i + 1);
    source.Produce();
    EXPECT_TRUE(shift.Do());
    ASSERT_TRUE(sink.CanConsume());
    const Array<float>& out = sink.GetAudio().GetBuffer();
    EXPECT_EQ(out[0], 512.0f);
    EXPECT_EQ(out[1], 1.0f);
}

} // namespace
