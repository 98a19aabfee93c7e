#include "DSP/Misc/SearchArray.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A point ordered by x only, like the break-point function's points.
struct XPoint {
    float x = 0, y = 0;
    XPoint() = default;
    XPoint(float xx, float yy = 0) : x(xx), y(yy) {}
    bool operator>=(const XPoint& o) const { return x >= o.x; }
    bool operator>(const XPoint& o) const { return x > o.x; }
};

template <class T> DSP::Array<T> Table(const std::vector<float>& xs) {
    DSP::Array<T> a;
    for (float x : xs)
        a.AddElem(T(x));
    return a;
}

// Independent oracle: the last index j with a[j] <= x in an ascending table (the last
// with a[j] > x in a descending one), by a linear count.
int Located(const std::vector<float>& xs, float x) {
    const bool ascending = xs.empty() || xs.back() >= xs.front();
    int count = 0;
    for (float v : xs)
        count += ascending ? (v <= x) : (v > x);
    return count - 1;
}

const std::vector<std::vector<float>> kTables = {
    {},
    {5},
    {1, 2},
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16},
    {-3, -1, -1, 0, 2, 2, 2, 7, 8, 30},
    {9, 7, 7, 4, 0, -2, -6, -6, -7, -10, -11, -20},
};

std::vector<float> Probes(const std::vector<float>& xs) {
    std::vector<float> probes = {-100, 100};
    for (float v : xs) {
        probes.push_back(v);
        probes.push_back(v - 0.5f);
        probes.push_back(v + 0.5f);
    }
    return probes;
}

template <class T> void CheckAgainstOracle() {
    for (const auto& xs : kTables) {
        const DSP::Array<T> a = Table<T>(xs);
        const DSP::SearchArray<T> search(a);
        const int n = static_cast<int>(xs.size());
        for (float x : Probes(xs)) {
            const int expected = Located(xs, x);
            EXPECT_EQ(search.Bisection(T(x)), expected) << "x " << x << " n " << n;
            // From a valid guess, -1 means outside the table: below the first element or
            // at or above the last. An invalid guess falls back to the plain bisection.
            const int hunted = expected == n - 1 ? -1 : expected;
            for (int guess = -1; guess <= n; ++guess) {
                const bool valid = guess >= 0 && guess < n;
                EXPECT_EQ(search.Hunt(T(x), guess), valid ? hunted : expected)
                    << "x " << x << " guess " << guess << " n " << n;
            }
        }
    }
}

TEST(SearchArrayTest, FloatAndPointSearchesMatchALinearOracle) {
    CheckAgainstOracle<float>();
    CheckAgainstOracle<XPoint>(); // points compare their x only
}

TEST(SearchArrayTest, BoundsAndTheEdgesOfTheTable) {
    const DSP::Array<float> a =
        Table<float>({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15});
    const DSP::SearchArray<float> search(a);
    EXPECT_EQ(search.Bisection(6.5f, 2, 5), 4); // clamped to hi - 1
    EXPECT_EQ(search.Bisection(0.5f, 3), 2);    // clamped to lo - 1
    // Widening downward from 15 runs past the start; x lies between a[0] and a[1].
    EXPECT_EQ(search.Hunt(0.5f, 15), 0);
    EXPECT_EQ(search.Hunt(-0.5f, 15), -1);
    const DSP::SearchArray<float> withoutTable;
    EXPECT_EQ(withoutTable.Bisection(1.f), -1);
    EXPECT_EQ(withoutTable.Hunt(1.f, 0), -1);
}

} // namespace
