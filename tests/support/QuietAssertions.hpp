#pragma once

#include "DSP/Misc/Err.hpp"

// Replaces the assertion handler for the lifetime of a test, so that expected failures do
// not write framed reports, and counts the reports that would have been written.
class QuietAssertions {
public:
    QuietAssertions() : mPrevious(DSP::SetAssertFailedHandler(&Count)) { sCount = 0; }
    ~QuietAssertions() { DSP::SetAssertFailedHandler(mPrevious); }
    static int Reports() { return sCount; }

private:
    static void Count(const char*, const char*, int) { ++sCount; }
    static inline int sCount = 0;
    DSP::AssertFailedHandlerType mPrevious;
};

// Expects statement to throw DSP::ErrAssertionFailed whose what() is exactly message.
#define EXPECT_DSP_ASSERT(statement, message)                                                      \
    do {                                                                                           \
        bool thrown_ = false;                                                                      \
        try {                                                                                      \
            statement;                                                                             \
        } catch (const DSP::ErrAssertionFailed& e_) {                                              \
            thrown_ = true;                                                                        \
            EXPECT_STREQ(e_.what(), message);                                                      \
        }                                                                                          \
        EXPECT_TRUE(thrown_) << "expected DSP::ErrAssertionFailed: " << (message);                 \
    } while (0)
