#include "DSP/Processing/Analysis/CircularShift.hpp"

#include "DSP/Processing/SignalTestData.hpp"
#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

namespace {

using DSP::Array;
using DSP::CircularShift;

CircularShift Shift(float amount) {
    DSP::CircularShiftConfig config;
    config.SetAmount(amount);
    return CircularShift(config);
}

// out[(i + k) mod N] = in[i] with k the amount truncated toward zero, in place or not (either
// part the shorter, or both long); shifts longer than the buffer wrap around, and shifting back
// restores the input.
TEST(CircularShiftTest, RotatesByTheTruncatedAmountAndBack) {
    for (int n : {1024, 8192})
        for (float amount :
             {3.0f, 3.9f, -3.9f, 0.0f, -512.0f, 511.0f, 1023.0f, 1027.0f, -2051.0f, 3000.0f}) {
            const Array<float> in = ArrayOf(RandomSamples(n, 1));
            const int k = int(amount);
            CircularShift forward = Shift(amount), backward = Shift(float(-k));
            Array<float> copy(n), inPlace = in;
            forward.Do(in, copy);
            forward.Do(inPlace, inPlace);
            for (int i = 0; i < n; ++i) {
                ASSERT_EQ(copy[((i + k) % n + n) % n], in[i]) << "amount " << amount << " at " << i;
                ASSERT_EQ(inPlace[i], copy[i]) << "amount " << amount << " at " << i;
            }
            backward.Do(copy, copy);
            EXPECT_EQ(Samples(copy), Samples(in)) << "amount " << amount;
        }
}

TEST(CircularShiftTest, DifferentSizesAreRefusedWithoutChange) {
    QuietAssertions quiet;
    Array<float> out = ArrayOf({9, 9, 9});
    EXPECT_DSP_ASSERT(Shift(1.0f).Do(ArrayOf({1, 2, 3, 4}), out),
                      "CircularShift::Do(): input and output vectors do not  match");
    EXPECT_EQ(Samples(out), (std::vector<float>{9, 9, 9}));
}

} // namespace
