#include "DSP/Misc/Err.hpp"

#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace {

const std::string kFrame = "##########################################################\n";

std::string AssertReport(const std::string& file, int line, const std::string& message) {
    return kFrame + "################### ASSERTION FAILED #####################\n" + kFrame +
           "At file " + file + " line " + std::to_string(line) + "\n" + message + "\n" +
           " Unable to adquire symbols names for the backtrace\n";
}

// Records the last report instead of writing it.
struct LastCall {
    static inline std::string message, file;
    static inline int line = 0, calls = 0;
    static void Record(const char* m, const char* f, int l) {
        message = m;
        file = f;
        line = l;
        ++calls;
    }
    LastCall() { calls = 0; }
};

TEST(ErrTest, ErrWithoutMessageIsUnknownError) {
    EXPECT_STREQ(DSP::Err().what(), "Unknown Error");
    EXPECT_STREQ(DSP::Err(nullptr).what(), "Unknown Error");
}

TEST(ErrTest, CopiesOwnTheirText) {
    auto original = std::make_unique<DSP::Err>("first");
    DSP::Err copy(*original);
    DSP::Err assigned;
    assigned = *original;
    original.reset();
    EXPECT_STREQ(copy.what(), "first");
    EXPECT_STREQ(assigned.what(), "first");
}

TEST(ErrTest, EmbedJoinsMessagesWithNestedMarker) {
    DSP::Err e("a");
    e.Embed("b");
    EXPECT_STREQ(e.what(), "a\n Nested error: b");
    e.Embed(std::runtime_error("c"));
    EXPECT_STREQ(e.what(), "a\n Nested error: b\n Nested error: c");
}

TEST(ErrTest, PrintWritesMessageLineToStandardError) {
    testing::internal::CaptureStderr();
    DSP::Err("bad size").Print();
    DSP::Err().Print();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "DSP Error: bad size\nDSP Error: Unknown Error\n");
}

TEST(ErrTest, IllegalValueCarriesItsMessage) {
    EXPECT_STREQ(DSP::IllegalValue("no such flag").what(), "no such flag");
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
              AssertReport("DSP/Misc/Array.hpp", 42, "broken"));
}

TEST(ErrTest, DefaultWarningHandlerWritesFramedReportWithoutBacktrace) {
    testing::internal::CaptureStderr();
    DSP::DefaultWarningHandler("odd value", "DSP/Data/Spectrum.cpp", 7);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              kFrame + "######################## WARNING #########################\n" + kFrame +
                  "At file DSP/Data/Spectrum.cpp line 7\nodd value\n");
}

TEST(ErrTest, FailedAssertionReportsThroughDefaultHandlerBeforeThrowing) {
    testing::internal::CaptureStderr();
    const int line = __LINE__ + 1;
    EXPECT_THROW(DSP_CHECK(false, "never true"), DSP::ErrAssertionFailed);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), AssertReport(__FILE__, line, "never true"));
}

TEST(ErrTest, DisabledBreakpointFlagSkipsTheReport) {
    LastCall last;
    const auto previous = DSP::SetAssertFailedHandler(&LastCall::Record);
    DSP::ErrAssertionFailed::breakpointInDSPAssertEnabled = false;
    const DSP::ErrAssertionFailed silent("quiet", "f", 1);
    DSP::ErrAssertionFailed::breakpointInDSPAssertEnabled = true;
    EXPECT_EQ(LastCall::calls, 0);
    EXPECT_STREQ(silent.what(), "quiet");
    const DSP::ErrAssertionFailed loud("loud", "g", 2);
    EXPECT_EQ(LastCall::calls, 1);
    EXPECT_EQ(LastCall::message + LastCall::file + std::to_string(LastCall::line), "loudg2");
    DSP::SetAssertFailedHandler(previous);
}

TEST(ErrTest, SetHandlerReturnsTheOneItReplaces) {
    LastCall last;
    EXPECT_EQ(DSP::SetWarningHandler(&LastCall::Record), &DSP::DefaultWarningHandler);
    EXPECT_NO_THROW(DSP::ExecuteWarningHandler("w", "file", 3));
    EXPECT_EQ(LastCall::message + LastCall::file + std::to_string(LastCall::line), "wfile3");
    // A null handler puts the default back rather than leaving nothing to call.
    EXPECT_EQ(DSP::SetWarningHandler(nullptr), &LastCall::Record);
    EXPECT_EQ(DSP::SetWarningHandler(&DSP::DefaultWarningHandler), &DSP::DefaultWarningHandler);

    EXPECT_EQ(DSP::SetAssertFailedHandler(&LastCall::Record), &DSP::DefaultAssertHandler);
    DSP::ExecuteAssertFailedHandler("a", "x", 9);
    EXPECT_EQ(LastCall::calls, 2);
    EXPECT_EQ(DSP::SetAssertFailedHandler(&DSP::DefaultAssertHandler), &LastCall::Record);
}

} // namespace
