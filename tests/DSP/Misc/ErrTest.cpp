#include "DSP/Misc/Err.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kFrame = "##########################################################\n";

// Records the calls instead of writing reports.
struct Recorder {
    static inline std::string calls;
    static void Record(const char* m, const char* f, int l) {
        calls += std::string(m) + "@" + f + ":" + std::to_string(l) + ";";
    }
};

TEST(ErrTest, FailedCheckWritesTheFramedReportBeforeThrowing) {
    testing::internal::CaptureStderr();
    const int line = __LINE__ + 1;
    EXPECT_THROW(DSP_CHECK(false, "never true"), DSP::ErrAssertionFailed);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              kFrame + "################### ASSERTION FAILED #####################\n" + kFrame +
                  "At file " + __FILE__ + " line " + std::to_string(line) + "\nnever true\n" +
                  " Unable to adquire symbols names for the backtrace\n");
}

TEST(ErrTest, AssertionHandlerIsReplaceableAndTheBreakpointFlagSilencesIt) {
    Recorder::calls.clear();
    EXPECT_EQ(DSP::SetAssertFailedHandler(&Recorder::Record), &DSP::DefaultAssertHandler);
    DSP::ErrAssertionFailed::breakpointInDSPAssertEnabled = false;
    const DSP::ErrAssertionFailed silent("quiet", "g", 1);
    DSP::ErrAssertionFailed::breakpointInDSPAssertEnabled = true;
    const DSP::ErrAssertionFailed loud("loud", "h", 2);
    EXPECT_EQ(Recorder::calls, "loud@h:2;");
    EXPECT_STREQ(silent.what(), "quiet");
    // A null handler puts the default back rather than leaving nothing to call.
    EXPECT_EQ(DSP::SetAssertFailedHandler(nullptr), &Recorder::Record);
    EXPECT_EQ(DSP::SetAssertFailedHandler(&DSP::DefaultAssertHandler), &DSP::DefaultAssertHandler);
}

} // namespace
