#include "DSP/Misc/Array.hpp"

#include "DSP/Misc/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <malloc.h>
#include <string>
#include <vector>

namespace {

using DSP::Array;

// Class element that tracks how many objects are alive, so that a missing or double
// destruction in the class-type strategy shows up as a wrong count.
struct Tracked {
    static inline int sLive = 0;
    int v;
    Tracked() : v(-1) { ++sLive; }
    Tracked(int x) : v(x) { ++sLive; }
    Tracked(const Tracked& o) : v(o.v) { ++sLive; }
    Tracked& operator=(const Tracked&) = default;
    ~Tracked() { --sLive; }
};

template <class T> std::vector<int> Values(const Array<T>& a) {
    std::vector<int> out;
    for (int i = 0; i < a.Size(); ++i) {
        if constexpr (std::is_arithmetic<T>::value)
            out.push_back(static_cast<int>(a[i]));
        else
            out.push_back(a[i].v);
    }
    return out;
}

class ArrayTest : public ::testing::Test {
protected:
    QuietAssertions quiet;
};

TEST_F(ArrayTest, ConstructedArrayHoldsZerosAndGrowsByItsStep) {
    Array<float> a(4, 16);
    EXPECT_EQ(a.Size(), 4);
    EXPECT_EQ(a.AllocatedSize(), 4);
    EXPECT_EQ(Values(a), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(a.AddElem(7.f), 5);
    EXPECT_EQ(a.AllocatedSize(), 20);
    EXPECT_EQ(a[4], 7.f);
}

TEST_F(ArrayTest, NegativeResizeThrowsAndLeavesArrayUnchanged) {
    Array<int> a(3);
    a[1] = 5;
    const int* data = a.GetPtr();
    EXPECT_DSP_ASSERT(a.Resize(-1), "Array::Resize(): negative size");
    EXPECT_EQ(a.Size(), 3);
    EXPECT_EQ(a.AllocatedSize(), 3);
    EXPECT_EQ(a.GetPtr(), data);
    EXPECT_EQ(a[1], 5);
    EXPECT_EQ(QuietAssertions::Reports(), 1);
}

TEST_F(ArrayTest, ClassElementsAreConstructedAndDestroyedExactlyOnce) {
    Tracked::sLive = 0;
    {
        Array<Tracked> a(2, 3);
        EXPECT_EQ(Tracked::sLive, 2);
        a.AddElem(Tracked(1));
        a.InsertElem(0, Tracked(9));
        EXPECT_EQ(Values(a), (std::vector<int>{9, -1, -1, 1}));
        EXPECT_EQ(Tracked::sLive, 4);
        Array<Tracked> b(a);
        EXPECT_EQ(Tracked::sLive, 8);
        b.DeleteElem(1);
        EXPECT_EQ(Values(b), (std::vector<int>{9, -1, 1}));
        b.Resize(1);
        EXPECT_EQ(Tracked::sLive, 5);
        a.SetSize(0);
        EXPECT_EQ(Tracked::sLive, 1);
    }
    EXPECT_EQ(Tracked::sLive, 0);
}

} // namespace
