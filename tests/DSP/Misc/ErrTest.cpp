#include "DSP/Misc/Err.hpp"

#include "DSP/Misc/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

TEST(ErrTest, ErrWithoutMessageIsUnknownError) {
    EXPECT_STREQ(DSP::Err().what(), "Unknown Error");
}

TEST(ErrTest, EmbedJoinsMessagesWithNestedMarker) {
    DSP::Err e("a");
    e.Embed("b");
    EXPECT_STREQ(e.what(), "a\n Nested error: b");
    e.Embed(std::runtime_error("c"));
    EXPECT_STREQ(e.what(), "a\n Nested error: b\n Nested error: c");
}

TEST(ErrTest, CheckMacroThrowsWithMessageAndReportsOnce) {
    QuietAssertions quiet;
    EXPECT_DSP_ASSERT(DSP_CHECK(1 + 1 == 3, "sum is wrong"), "sum is wrong");
    EXPECT_NO_THROW(DSP_CHECK(1 + 1 == 2, "never"));
    EXPECT_EQ(QuietAssertions::Reports(), 1);
}

TEST(ErrTest, DefaultAssertHandlerWritesFramedReport) {
    testing::internal::CaptureStderr();
    DSP::DefaultAssertHandler("broken", "DSP/Misc/Array.hpp", 42);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "##########################################################\n"
              "################### ASSERTION FAILED #####################\n"
              "##########################################################\n"
              "At file DSP/Misc/Array.hpp line 42\n"
              "broken\n"
              " Unable to adquire symbols names for the backtrace\n");
}

} // namespace
