#include "DSP/Misc/Array.hpp"

#include "support/QuietAssertions.hpp"

#include <gtest/gtest.h>

#include <malloc.h>
#include <vector>

namespace {

using DSP::Array;

// Class element that counts live objects, so that a missing or double construction or
// destruction in the class-element strategy shows up as a wrong count.
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

template <class T> Array<T> Make(std::vector<int> values, int step = 1) {
    Array<T> a(0, step);
    for (int v : values)
        a.AddElem(T(v));
    return a;
}

struct Shape {
    int size, capacity, step;
    bool operator==(const Shape& o) const {
        return size == o.size && capacity == o.capacity && step == o.step;
    }
};
template <class T> Shape ShapeOf(const Array<T>& a) {
    return {a.Size(), a.AllocatedSize(), a.GetStep()};
}

class ArrayTest : public ::testing::Test {
protected:
    void SetUp() override { Tracked::sLive = 0; }
    QuietAssertions quiet;
};

TEST_F(ArrayTest, ConstructedArrayHoldsZerosAndGrowsByItsStep) {
    Array<float> a(4, 16);
    EXPECT_TRUE(a.OwnsMemory());
    EXPECT_EQ(ShapeOf(a), (Shape{4, 4, 16}));
    EXPECT_EQ(Values(a), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(a.AddElem(7.f), 5);
    EXPECT_EQ(a.AllocatedSize(), 20);
    EXPECT_EQ(a[4], 7.f);
}

TEST_F(ArrayTest, NewElementsAreZeroOrDefaultEvenAfterShrinking) {
    Array<int> a(3);
    a[0] = a[1] = a[2] = 5;
    a.SetSize(1);
    a.SetSize(3);
    EXPECT_EQ(Values(a), (std::vector<int>{5, 0, 0}));

    Array<Tracked> b = Make<Tracked>({4, 4, 4});
    b.SetSize(1);
    b.SetSize(3);
    EXPECT_EQ(Values(b), (std::vector<int>{4, -1, -1}));
}

TEST_F(ArrayTest, InsertAndDeleteShiftElements) {
    Array<int> a = Make<int>({0, 1, 2, 3});
    a.InsertElem(1, 9);
    a.InsertElem(0, 8);
    EXPECT_EQ(Values(a), (std::vector<int>{8, 0, 9, 1, 2, 3}));
    a.DeleteElem(2);
    a.DeleteElem(4);
    EXPECT_EQ(Values(a), (std::vector<int>{8, 0, 1, 2}));

    Array<Tracked> b = Make<Tracked>({0, 1, 2, 3});
    b.InsertElem(1, Tracked(9));
    b.DeleteElem(3);
    EXPECT_EQ(Values(b), (std::vector<int>{0, 9, 1, 3}));
}

TEST_F(ArrayTest, AddingOrInsertingOwnElementWhileFullCopiesTheValue) {
    // The value lives in the buffer that the growth reallocates.
    Array<Tracked> a = Make<Tracked>({1, 2});
    ASSERT_EQ(a.Size(), a.AllocatedSize());
    a.AddElem(a[0]);
    a.InsertElem(0, a[2]);
    EXPECT_EQ(Values(a), (std::vector<int>{1, 1, 2, 1}));
}

TEST_F(ArrayTest, ClassElementsAreConstructedAndDestroyedExactlyOnce) {
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
        b = a;
        EXPECT_EQ(Tracked::sLive, 8);
        a.SetSize(0);
        a.Resize(0);
        EXPECT_EQ(Tracked::sLive, 4);
    }
    EXPECT_EQ(Tracked::sLive, 0);
}

TEST_F(ArrayTest, DeleteShrinksCapacityOnlyWhenMoreThanOneStepIsUnused) {
    Array<int> a(20, 4);
    a.DeleteElem(0);
    EXPECT_EQ(ShapeOf(a), (Shape{19, 20, 4})); // 19 >= 20 - 4
    while (a.Size() > 16)
        a.DeleteElem(0);
    EXPECT_EQ(a.AllocatedSize(), 20);
    a.DeleteElem(0);
    EXPECT_EQ(ShapeOf(a), (Shape{15, 15, 4}));
}

TEST_F(ArrayTest, ResizeSetsExactCapacityAndDropsElementsBeyondIt) {
    Array<int> a = Make<int>({1, 2, 3, 4});
    a.Resize(10);
    EXPECT_EQ(ShapeOf(a), (Shape{4, 10, 1}));
    a.Resize(2);
    EXPECT_EQ(Values(a), (std::vector<int>{1, 2}));
    EXPECT_EQ(a.AllocatedSize(), 2);
    a.Resize(0);
    EXPECT_EQ(ShapeOf(a), (Shape{0, 0, 1}));
    EXPECT_EQ(a.GetPtr(), nullptr);
}

TEST_F(ArrayTest, SetSizeWithinCapacityNeverAllocates) {
    Array<float> a;
    a.Resize(4096);
    Array<Tracked> b;
    b.Resize(512);
    const float* aData = a.GetPtr();
    const Tracked* bData = b.GetPtr();
    const std::size_t heapBefore = mallinfo2().uordblks;
    for (int n : {4096, 0, 17, 4096, 1}) {
        a.SetSize(n);
        b.SetSize(n / 8);
    }
    const std::size_t heapAfter = mallinfo2().uordblks;
    EXPECT_EQ(heapAfter, heapBefore);
    EXPECT_EQ(a.GetPtr(), aData);
    EXPECT_EQ(b.GetPtr(), bData);
}

TEST_F(ArrayTest, OwningAssignmentTakesSourceSizeAndStep) {
    Array<int> src = Make<int>({1, 2, 3}, 5);
    Array<int> dst(8, 2);
    dst = src;
    EXPECT_EQ(ShapeOf(dst), (Shape{3, 3, 5}));
    EXPECT_EQ(Values(dst), (std::vector<int>{1, 2, 3}));
    EXPECT_NE(dst.GetPtr(), src.GetPtr());
}

TEST_F(ArrayTest, CopyOfBorrowingArrayOwnsACopyWithStepOne) {
    int buffer[3] = {4, 5, 6};
    Array<int> view;
    view.SetPtr(buffer, 3);
    Array<int> copy(view);
    EXPECT_TRUE(copy.OwnsMemory());
    EXPECT_EQ(ShapeOf(copy), (Shape{3, 3, 1}));
    EXPECT_NE(copy.GetPtr(), buffer);
    EXPECT_EQ(Values(copy), (std::vector<int>{4, 5, 6}));
}

TEST_F(ArrayTest, AssigningAViewOfItselfKeepsTheValues) {
    Array<int> a = Make<int>({1, 2, 3, 4, 5});
    Array<int> view;
    view.SetPtr(a.GetPtr() + 1, 3);
    a = view;
    EXPECT_EQ(Values(a), (std::vector<int>{2, 3, 4}));
}

TEST_F(ArrayTest, AssignmentToBorrowedBufferCopiesInPlaceWhenItFits) {
    const Array<float> src = Make<float>({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    std::vector<float> small(8, -1.f), large(12, -1.f);
    Array<float> tooSmall;
    tooSmall.SetPtr(small.data(), 8);
    EXPECT_DSP_ASSERT(tooSmall = src,
                      "Array::RegionWrite() : source size exceeds the Region bounds");
    EXPECT_EQ(ShapeOf(tooSmall), (Shape{8, 8, -1}));
    EXPECT_EQ(small, std::vector<float>(8, -1.f));

    Array<float> fits;
    fits.SetPtr(large.data(), 12);
    fits = src;
    EXPECT_EQ(fits.GetPtr(), large.data());
    EXPECT_EQ(ShapeOf(fits), (Shape{10, 12, -1}));
    EXPECT_EQ(large, (std::vector<float>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, -1, -1}));
}

TEST_F(ArrayTest, AssignmentToBorrowingArrayWithoutBufferFails) {
    Array<float> noBuffer;
    noBuffer.SetPtr(nullptr, 12);
    EXPECT_DSP_ASSERT(noBuffer = Make<float>({1, 2}),
                      "Array::operator= : if you want to create a not memory owning array from "
                      "one that does own memory, use instead Array::SetPtr() method");
    EXPECT_EQ(ShapeOf(noBuffer), (Shape{12, 12, -1}));
}

TEST_F(ArrayTest, SetSizeBeyondCapacityFailsOnlyWhenOwning) {
    Array<int> owning(3);
    EXPECT_DSP_ASSERT(owning.SetSize(4), "Array::SetSize(): Argument larger than allocated size\n"
                                         "You can probably fix this calling Resize() befor "
                                         "SetSize().");
    EXPECT_EQ(ShapeOf(owning), (Shape{3, 3, 1}));

    int buffer[3] = {};
    Array<int> borrowing;
    borrowing.SetPtr(buffer, 3);
    borrowing.SetSize(2);
    EXPECT_EQ(ShapeOf(borrowing), (Shape{2, 3, -1}));
    borrowing.SetSize(5);
    EXPECT_EQ(borrowing.Size(), 5);
}

TEST_F(ArrayTest, SetPtrBorrowsWithoutCopyingAndNullZeroRestoresOwning) {
    float buffer[4] = {1, 2, 3, 4};
    Array<float> a;
    a.SetPtr(buffer, 4);
    EXPECT_FALSE(a.OwnsMemory());
    EXPECT_EQ(a.GetPtr(), buffer);
    EXPECT_EQ(ShapeOf(a), (Shape{4, 4, -1}));
    a.SetPtr(nullptr, 0);
    EXPECT_TRUE(a.OwnsMemory());
    EXPECT_EQ(ShapeOf(a), (Shape{0, 0, 1}));
    a.AddElem(5.f);
    EXPECT_EQ(Values(a), (std::vector<int>{5}));
}

TEST_F(ArrayTest, SetPtrOnNonEmptyOwningArrayFails) {
    float buffer[2] = {};
    Array<float> a(1);
    EXPECT_DSP_ASSERT(a.SetPtr(buffer, 2), "Array::SetPtr() : You are not allowed to invoke "
                                           "SetPtr() on an Array that owns memory or is not "
                                           "empty");
    EXPECT_TRUE(a.OwnsMemory());
    EXPECT_EQ(ShapeOf(a), (Shape{1, 1, 1}));
}

TEST_F(ArrayTest, BorrowingArrayRefusesEveryReallocation) {
    int buffer[4] = {1, 2, 3, 4};
    Array<int> a;
    a.SetPtr(buffer, 4);
    EXPECT_DSP_ASSERT(a.Resize(8), "Array::Resize(): You cannot invoke this method on an "
                                   "array that does not own any memory");
    EXPECT_DSP_ASSERT(a.AddElem(5),
                      "Array::AddElem(): Resize requiered, but this array does not own its "
                      "memory!");
    EXPECT_DSP_ASSERT(a.InsertElem(0, 5), "Array::InsertElem(): Resize requiered, but this "
                                          "array does not own its memory!");
    EXPECT_DSP_ASSERT(a.DeleteElem(0), "Array::DeleteElem(): Resize requiered, but this "
                                       "array does not own its memory!");
    EXPECT_DSP_ASSERT(a.SetStep(2), "Array::SetStep(): this array does not own its memory");
    EXPECT_EQ(ShapeOf(a), (Shape{4, 4, -1}));
    EXPECT_EQ(Values(a), (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(ArrayTest, IndexOutOfRangeLeavesArrayUnchanged) {
    Array<Tracked> a = Make<Tracked>({1, 2, 3});
    const Shape before = ShapeOf(a);
    // Inserting at Size() would append; AddElem serves for that.
    for (int index : {-1, 3}) {
        EXPECT_DSP_ASSERT(a.InsertElem(index, Tracked(7)), "Array::InsertElem: Index out of range");
        EXPECT_DSP_ASSERT(a.DeleteElem(index), "Array::DeleteElem: Index out of range");
    }
    EXPECT_EQ(ShapeOf(a), before);
    EXPECT_EQ(Values(a), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(Tracked::sLive, 3);
}

TEST_F(ArrayTest, NegativeSizesThrowAndLeaveArrayUnchanged) {
    Array<int> a(3);
    a[1] = 5;
    const int* data = a.GetPtr();
    EXPECT_DSP_ASSERT(a.Resize(-1), "Array::Resize(): negative size");
    EXPECT_DSP_ASSERT(a.SetSize(-1), "Array::SetSize(): negative size");
    EXPECT_DSP_ASSERT(a.SetStep(-1), "Array::SetStep(): negative step");
    EXPECT_EQ(ShapeOf(a), (Shape{3, 3, 1}));
    EXPECT_EQ(a.GetPtr(), data);
    EXPECT_EQ(a[1], 5);
    EXPECT_DSP_ASSERT(Array<int>(-2), "Array::Resize(): negative size");

    Array<int> empty;
    EXPECT_DSP_ASSERT(empty.SetPtr(a.GetPtr(), -1), "Array::SetPtr(): negative size");
    EXPECT_EQ(ShapeOf(empty), (Shape{0, 0, 1}));
    EXPECT_EQ(QuietAssertions::Reports(), 5);
}

TEST_F(ArrayTest, ZeroStepArrayStillGrowsWhenFull) {
    Array<int> a(2, 0);
    a.AddElem(1);
    a.InsertElem(0, 2);
    EXPECT_EQ(ShapeOf(a), (Shape{4, 4, 0}));
    EXPECT_EQ(Values(a), (std::vector<int>{2, 0, 0, 1}));
}

TEST_F(ArrayTest, FailedAllocationLeavesArrayUnchanged) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer aborts on impossible allocations";
#endif
    struct Huge {
        char bytes[1 << 20];
    };
    Array<Huge> a(1);
    const Huge* data = a.GetPtr();
    // 2^30 elements of 1 MiB exceed any address space, so the allocation must fail.
    EXPECT_DSP_ASSERT(a.Resize(1 << 30), "Array::Resize() : Memory Allocation failed!");
    EXPECT_EQ(ShapeOf(a), (Shape{1, 1, 1}));
    EXPECT_EQ(a.GetPtr(), data);
}

} // namespace
