#include "DSP/Data/Fundamental.hpp"

#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using DSP::Fundamental;
using Candidates = std::vector<std::pair<float, float>>;

Candidates All(const Fundamental& f) {
    Candidates out;
    for (int i = 0; i < f.GetnCandidates(); ++i)
        out.emplace_back(f.GetFreq(i), f.GetErr(i));
    return out;
}

TEST(FundamentalTest, MissingCandidatesReadAsZeroHzWithWorstErrorAndAFullListOnlyGrowsByAdd) {
    QuietAssertions quiet;
    Fundamental f;
    EXPECT_EQ(std::make_pair(f.GetFreq(0), f.GetErr(0)), std::make_pair(0.f, 100.f));
    f.AddElem(220.f, 2.f);
    EXPECT_EQ(std::make_pair(f.GetFreq(1), f.GetErr(1)), std::make_pair(0.f, 100.f));
    EXPECT_DSP_ASSERT(f.InsertElem(0, 110.f, 1.f),
                      "Fundamental::InsertElem(): Number of Candidates exceeds maximum");
    f.AddElem(440.f, 3.f);
    EXPECT_EQ(f.GetnMaxCandidates(), 2);
    for (int bad : {-1, 2})
        EXPECT_DSP_ASSERT(f.DeleteElem(bad),
                          "Fundamental::DeleteElem(): Wrong index, element does not exist");
    EXPECT_EQ(All(f), (Candidates{{220.f, 2.f}, {440.f, 3.f}}));
    f.SetnMaxCandidates(4);
    f.InsertElem(1, 330.f, 0.5f);
    f.DeleteElem(0);
    EXPECT_EQ(All(f), (Candidates{{330.f, 0.5f}, {440.f, 3.f}}));
}

TEST(FundamentalTest, SortingByErrorMovesFrequencyAndErrorTogether) {
    Fundamental f;
    f.SetnMaxCandidates(4);
    for (auto [freq, err] : Candidates{{300.f, 0.2f}, {100.f, 0.9f}, {200.f, 0.1f}, {150.f, 0.5f}})
        f.AddElem(freq, err);
    f.SortByError();
    EXPECT_EQ(All(f), (Candidates{{200.f, 0.1f}, {300.f, 0.2f}, {150.f, 0.5f}, {100.f, 0.9f}}));
}

} // namespace
