#include "DSP/Misc/Array.hpp"
#include "DSP/Misc/IndexArray.hpp"

#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <malloc.h>
#include <tuple>
#include <vector>

namespace {

using DSP::Array;
using Ints = std::vector<int>;
using S = std::tuple<int, int, int>; // size, capacity, step

// Class element that counts live objects, so that a missing or double construction or
// destruction in the class-element strategy shows up as a wrong count.
struct Tracked {
    static inline int sLive = 0;
    int v;
    Tracked(int x = -1) : v(x) { ++sLive; }
    Tracked(const Tracked& o) : v(o.v) { ++sLive; }
    Tracked& operator=(const Tracked&) = default;
    ~Tracked() { --sLive; }
    operator int() const { return v; }
};

template <class T> Ints Values(const Array<T>& a) {
    return Ints(a.GetPtr(), a.GetPtr() + a.Size());
}

template <class T> Array<T> Make(Ints values, int step = 1) {
    Array<T> a(0, step);
    for (int v : values)
        a.AddElem(T(v));
    return a;
}

template <class T> S Shape(const Array<T>& a) {
    return {a.Size(), a.AllocatedSize(), a.GetStep()};
}

class ArrayTest : public ::testing::Test {
protected:
    void SetUp() override { Tracked::sLive = 0; }
    QuietAssertions quiet;
};

TEST_F(ArrayTest, GrowsByItsStepAndExposesOnlyFreshElements) {
    Array<float> a(4, 16);
    EXPECT_EQ(a.AddElem(7.f), 5);
    EXPECT_EQ(Shape(a), S(5, 20, 16));
    EXPECT_EQ(Values(a), (Ints{0, 0, 0, 0, 7}));
    a.SetSize(1);
    a.SetSize(5);
    EXPECT_EQ(Values(a), (Ints{0, 0, 0, 0, 0}));
    Array<int> zeroStep(2, 0); // still grows when full
    zeroStep.AddElem(1);
    zeroStep.InsertElem(0, 2);
    EXPECT_EQ(Values(zeroStep), (Ints{2, 0, 0, 1}));
}

TEST_F(ArrayTest, InsertAndDeleteShiftElementsOfBothStorageStrategies) {
    Array<int> a = Make<int>({0, 1, 2, 3});
    Array<Tracked> b = Make<Tracked>({0, 1, 2, 3});
    auto edit = [](auto& x) {
        x.InsertElem(1, 9);
        x.InsertElem(0, 8);
        x.DeleteElem(2);
        x.DeleteElem(4);
    };
    edit(a);
    edit(b);
    EXPECT_EQ(Values(a), (Ints{8, 0, 1, 2}));
    EXPECT_EQ(Values(b), (Ints{8, 0, 1, 2}));
    // An element of the array itself, passed while the array is full, lives in the buffer
    // that the growth reallocates: the value must be taken before.
    ASSERT_EQ(b.Size(), b.AllocatedSize());
    b.AddElem(b[0]);
    b.InsertElem(0, b[3]);
    EXPECT_EQ(Values(b), (Ints{2, 8, 0, 1, 2, 8}));
}

TEST_F(ArrayTest, ClassElementsAreConstructedAndDestroyedExactlyOnce) {
    {
        Array<Tracked> a(2, 3);
        a.AddElem(1);
        a.InsertElem(0, 9);
        EXPECT_EQ(Values(a), (Ints{9, -1, -1, 1}));
        EXPECT_EQ(Tracked::sLive, 4); // capacity 5, but only the elements are constructed
        Array<Tracked> b(a);
        b.Resize(1);
        b.SetSize(0);
        b.SetSize(1); // a fresh default element, not the old value
        EXPECT_EQ(Values(b), (Ints{-1}));
        EXPECT_EQ(Tracked::sLive, 5);
        b = a;
        EXPECT_EQ(Tracked::sLive, 8);
        a.Resize(0);
        EXPECT_EQ(Tracked::sLive, 4);
        EXPECT_EQ(a.GetPtr(), nullptr);
    }
    EXPECT_EQ(Tracked::sLive, 0);
}

TEST_F(ArrayTest, SetSizeWithinCapacityNeverAllocates) {
    Array<float> a;
    a.Resize(4096);
    Array<Tracked> b;
    b.Resize(512);
    const float* aData = a.GetPtr();
    const std::size_t heapBefore = mallinfo2().uordblks;
    for (int n : {4096, 0, 17, 4096, 1}) {
        a.SetSize(n);
        b.SetSize(n / 8);
    }
    EXPECT_EQ(mallinfo2().uordblks, heapBefore);
    EXPECT_EQ(a.GetPtr(), aData);
}

TEST_F(ArrayTest, CopiesOwnTheirDataAndBorrowedBuffersAreFilledInPlace) {
    Array<int> dst(8, 2);
    const int* storage = dst.GetPtr();
    dst = Make<int>({1, 2, 3}, 5); // fits: the capacity is kept and nothing is allocated
    EXPECT_EQ(Shape(dst), S(3, 8, 5));
    EXPECT_EQ(dst.GetPtr(), storage);
    dst = Make<int>({1, 2, 3, 4, 5, 6, 7, 8, 9}, 1); // does not fit: grows to the source
    EXPECT_EQ(Shape(dst), S(9, 9, 1));
    int buffer[3] = {4, 5, 6};
    Array<int> view;
    view.SetPtr(buffer, 3);
    const Array<int> copy(view); // the source's step is negative: the copy gets step 1
    EXPECT_EQ(Shape(copy), S(3, 3, 1));
    EXPECT_NE(copy.GetPtr(), buffer);
    EXPECT_EQ(Values(copy), (Ints{4, 5, 6}));
    Array<int> self = Make<int>({1, 2, 3, 4, 5});
    view.SetPtr(self.GetPtr() + 1, 3);
    self = view; // the source overlaps the target's own elements
    EXPECT_EQ(Values(self), (Ints{2, 3, 4}));

    std::vector<int> large(12, -1);
    Array<int> fits;
    fits.SetPtr(large.data(), 12);
    fits = Make<int>({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    EXPECT_EQ(fits.GetPtr(), large.data());
    EXPECT_EQ(Shape(fits), S(10, 12, -1));
    EXPECT_EQ(large, (Ints{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, -1, -1}));
}

TEST_F(ArrayTest, MisuseIsRefusedAndLeavesTheArrayUnchanged) {
    int buffer[4] = {1, 2, 3, 4};
    Array<int> owning = Make<int>({1, 2, 3});
    const int* data = owning.GetPtr();
    EXPECT_DSP_ASSERT(owning.SetSize(4), "Array::SetSize(): Argument larger than allocated size\n"
                                         "You can probably fix this calling Resize() befor "
                                         "SetSize().");
    for (int index : {-1, 3}) { // inserting at Size() would append; AddElem serves for that
        EXPECT_DSP_ASSERT(owning.InsertElem(index, 7), "Array::InsertElem: Index out of range");
        EXPECT_DSP_ASSERT(owning.DeleteElem(index), "Array::DeleteElem: Index out of range");
    }
    // Negative sizes would end the process; they are refused like any other misuse.
    EXPECT_DSP_ASSERT(owning.Resize(-1), "Array::Resize(): negative size");
    EXPECT_DSP_ASSERT(owning.SetSize(-1), "Array::SetSize(): negative size");
    EXPECT_EQ(Shape(owning), S(3, 3, 1));
    EXPECT_EQ(owning.GetPtr(), data);
    EXPECT_EQ(Values(owning), (Ints{1, 2, 3}));
    // A view on an audio stream never reallocates: a larger source is refused.
    Array<int> borrowing;
    borrowing.SetPtr(buffer, 4);
    EXPECT_DSP_ASSERT(borrowing.AddElem(5), "Array::AddElem(): Resize requiered, but this array "
                                            "does not own its memory!");
    EXPECT_DSP_ASSERT(borrowing = Make<int>({0, 1, 2, 3, 4}),
                      "Array::RegionWrite() : source size exceeds the Region bounds");
    EXPECT_EQ(Values(borrowing), (Ints{1, 2, 3, 4}));
}

TEST(IndexArrayTest, StartsAsIdentityAndResetRestoresIt) {
    DSP::IndexArray a(4);
    a[1] = -1;
    a.AddElem(-1);
    a.Reset();
    EXPECT_EQ(Values(a), (Ints{0, 1, 2, 3, 4}));
}

} // namespace
