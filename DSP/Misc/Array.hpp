#pragma once

#include "DSP/Misc/Component.hpp"
#include "DSP/Misc/Err.hpp"

#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <type_traits>

namespace DSP {

/// Growable typed array: the storage of every spectrum, peak list, buffer and table.
///
/// An array either owns its buffer (step >= 0) or borrows one given through SetPtr()
/// (step < 0); a borrowing array refuses every operation that would reallocate.
/// Elements [0, Size()) are valid; capacity AllocatedSize() >= Size() for owning arrays.
///
/// Two storage strategies, chosen by element type:
/// - plain numeric types: the buffer is grown and shrunk with realloc (contents kept),
///   elements are moved and copied as blocks, and a newly exposed element is zero;
/// - class types: a resize copy-constructs the surviving elements into a new buffer and
///   destroys the old ones; a newly exposed element is default-constructed; inserting and
///   deleting shift elements one by one with their assignment. Only [0, Size()) holds
///   live objects; the rest of the capacity is raw storage.
///
/// Real-time contract: SetSize() within the capacity, operator[] and the accessors never
/// allocate. Size the array once (Resize, then SetSize) during configuration.
///
/// Every failed check throws DSP::ErrAssertionFailed with a fixed message and leaves the
/// array as it was. Not synchronised.
template <class T> class Array : public Component {
    static constexpr bool kPlain = std::is_arithmetic<T>::value;
    // Elements copied as bytes (numbers, complex and polar pairs).
    static constexpr bool kBytes = std::is_trivially_copyable<T>::value;

public:
    /// size elements, each zero or default-constructed; capacity = size; growth step = step.
    explicit Array(int size = 0, int step = 1) : mStep(step) {
        Resize(size);
        SetSize(size);
    }

    /// The copy owns its memory (step 1 if the source borrows) and holds copies of the
    /// source's elements.
    Array(const Array& src) : Component(src), mStep(0) { *this = src; }

    ~Array() override {
        if (OwnsMemory()) {
            DestroyRange(0, mSize);
            Release();
        }
        mpData = nullptr;
        mAllocSize = mSize = mStep = 0;
    }

    /// An owning target takes the source's size and step, growing its capacity only when the
    /// source does not fit (it never shrinks here); a borrowing
    /// target receives the elements in place in its borrowed buffer.
    Array& operator=(const Array& src) {
        if (this == &src)
            return *this;
        if (Overlaps(src)) {
            // src views this array's own memory: copy it out before the buffer changes.
            const Array copy(src);
            return *this = copy;
        }
        if (OwnsMemory()) {
            // Storage that already holds the source is reused, so that copying a frame, a
            // spectrum or a peak array into one sized at configuration never allocates.
            if (src.mSize > mAllocSize)
                Resize(src.mSize);
            mStep = src.mStep < 0 ? 1 : src.mStep;
        } else {
            DSP_CHECK(mAllocSize >= src.mSize,
                      "Array::RegionWrite() : source size exceeds the Region bounds");
            DSP_CHECK(mpData != nullptr,
                      "Array::operator= : if you want to create a not memory owning array from "
                      "one that does own memory, use instead Array::SetPtr() method");
        }
        if constexpr (kBytes) {
            if (src.mSize > 0)
                std::memmove(static_cast<void*>(mpData), src.mpData, src.mSize * sizeof(T));
        } else {
            const int nAssigned = mSize < src.mSize ? mSize : src.mSize;
            for (int i = 0; i < nAssigned; ++i)
                mpData[i] = src.mpData[i];
            for (int i = nAssigned; i < src.mSize; ++i)
                new (mpData + i) T(src.mpData[i]);
        }
        if (OwnsMemory())
            DestroyRange(src.mSize, mSize);
        mSize = src.mSize;
        return *this;
    }

    const char* GetDSPClassName() const override { return nullptr; }
    Array* Species() const override { return new Array(); }
    Array* DeepCopy() const override { return new Array(*this); }
    /// Elements are values, so a shallow copy is a full copy.
    Array* ShallowCopy() const override { return new Array(*this); }

    int Size() const { return mSize; }
    int AllocatedSize() const { return mAllocSize; }
    int GetStep() const { return mStep; }
    bool OwnsMemory() const { return mStep >= 0; }
    T* GetPtr() { return mpData; }
    const T* GetPtr() const { return mpData; }

    /// Unchecked element access.
    T& operator[](int i) { return mpData[i]; }
    const T& operator[](int i) const { return mpData[i]; }

    /// Sets the growth step of an owning array. A step of 0 still grows by one element when
    /// the array is full. A negative step (which would mark a borrowed buffer) is refused,
    /// as is changing the step of a borrowing array.
    void SetStep(int step) {
        DSP_CHECK(OwnsMemory(), "Array::SetStep(): this array does not own its memory");
        DSP_CHECK(step >= 0, "Array::SetStep(): negative step");
        mStep = step;
    }

    /// Sets the capacity to exactly newAllocSize; elements beyond it are dropped.
    /// A failed allocation leaves the array unchanged.
    void Resize(int newAllocSize) {
        DSP_CHECK(OwnsMemory(), "Array::Resize(): You cannot invoke this method on an array "
                                "that does not own any memory");
        DSP_CHECK(newAllocSize >= 0, "Array::Resize(): negative size");
        if (newAllocSize == mAllocSize)
            return;
        if (newAllocSize == 0) {
            DestroyRange(0, mSize);
            Release();
            mpData = nullptr;
        } else {
            T* data = Reallocate(newAllocSize);
            DSP_CHECK(data != nullptr, "Array::Resize() : Memory Allocation failed!");
            mpData = data;
        }
        mAllocSize = newAllocSize;
        if (mSize > newAllocSize)
            mSize = newAllocSize;
    }

    /// Changes the number of valid elements. On an owning array newSize must lie within
    /// the capacity; new elements are zero or default-constructed and dropped ones are
    /// destroyed; this never allocates. On a borrowing array only the size changes.
    void SetSize(int newSize) {
        DSP_CHECK(newSize >= 0, "Array::SetSize(): negative size");
        if (OwnsMemory()) {
            DSP_CHECK(newSize <= mAllocSize,
                      "Array::SetSize(): Argument larger than allocated size\n"
                      "You can probably fix this calling Resize() befor SetSize().");
            InitRange(mSize, newSize);
            DestroyRange(newSize, mSize);
        }
        mSize = newSize;
    }

    /// Makes an empty array borrow size elements at pointer (not copied, not owned).
    /// SetPtr(nullptr, 0) turns the array back into an empty owning array with step 1.
    void SetPtr(T* pointer, int size) {
        DSP_CHECK(!OwnsMemory() || mAllocSize == 0,
                  "Array::SetPtr() : You are not allowed to invoke SetPtr() on an Array that "
                  "owns memory or is not empty");
        DSP_CHECK(size >= 0, "Array::SetPtr(): negative size");
        mpData = pointer;
        mAllocSize = mSize = size;
        mStep = (size != 0 || pointer != nullptr) ? -1 : 1;
    }

    /// Appends a copy of value, growing by the step when full; returns the new size.
    int AddElem(const T& value) {
        DSP_CHECK(OwnsMemory(),
                  "Array::AddElem(): Resize requiered, but this array does not own its memory!");
        const T copy(value); // value may live in this array's buffer, which Resize moves
        if (mSize >= mAllocSize)
            Resize(mAllocSize + GrowthStep());
        new (mpData + mSize) T(copy);
        return ++mSize;
    }

    /// Inserts a copy of value before element index (0 <= index < Size()).
    void InsertElem(int index, const T& value) {
        DSP_CHECK(OwnsMemory(), "Array::InsertElem(): Resize requiered, but this array does "
                                "not own its memory!");
        DSP_CHECK(index >= 0 && index < mSize, "Array::InsertElem: Index out of range");
        const T copy(value);
        if (mSize >= mAllocSize)
            Resize(mAllocSize + GrowthStep());
        ShiftUp(index);
        mpData[index] = copy;
        ++mSize;
    }

    /// Removes element index (0 <= index < Size()); the capacity shrinks to the size when
    /// more than one step is unused.
    void DeleteElem(int index) {
        DSP_CHECK(OwnsMemory(), "Array::DeleteElem(): Resize requiered, but this array does "
                                "not own its memory!");
        DSP_CHECK(index >= 0 && index < mSize, "Array::DeleteElem: Index out of range");
        ShiftDown(index);
        --mSize;
        if (mSize < mAllocSize - mStep)
            Resize(mSize);
    }

private:
    bool Overlaps(const Array& src) const {
        if (!mpData || !src.mpData || mAllocSize == 0 || src.mSize == 0)
            return false;
        std::less<const T*> before;
        return before(src.mpData, mpData + mAllocSize) && before(mpData, src.mpData + src.mSize);
    }

    // An owning array built with step 0 would never make room; it grows one at a time.
    int GrowthStep() const { return mStep > 0 ? mStep : 1; }

    // Returns the buffer holding the first min(n, mSize) elements at capacity n, or null
    // (with the array untouched) if the allocation fails.
    T* Reallocate(int n) {
        const std::size_t bytes = static_cast<std::size_t>(n) * sizeof(T);
        if constexpr (kPlain) {
            return static_cast<T*>(std::realloc(mpData, bytes));
        } else {
            T* data = static_cast<T*>(::operator new(bytes, std::nothrow));
            if (!data)
                return nullptr;
            const int kept = mSize < n ? mSize : n;
            for (int i = 0; i < kept; ++i)
                new (data + i) T(mpData[i]);
            DestroyRange(0, mSize);
            Release();
            return data;
        }
    }

    void Release() {
        if constexpr (kPlain)
            std::free(mpData);
        else
            ::operator delete(mpData);
    }

    // Construct elements [from, to) as zero / default values.
    void InitRange(int from, int to) {
        if (from >= to)
            return;
        if constexpr (kPlain)
            std::memset(static_cast<void*>(mpData + from), 0, (to - from) * sizeof(T));
        else
            for (int i = from; i < to; ++i)
                new (mpData + i) T();
    }

    // Destroy live elements [from, to).
    void DestroyRange(int from, int to) {
        if constexpr (!kPlain)
            for (int i = from; i < to; ++i)
                mpData[i].~T();
    }

    // Opens a gap at index; slot mSize (within capacity) becomes live.
    void ShiftUp(int index) {
        if constexpr (kPlain) {
            std::memmove(mpData + index + 1, mpData + index, (mSize - index) * sizeof(T));
        } else {
            new (mpData + mSize) T(mpData[mSize - 1]);
            for (int i = mSize - 1; i > index; --i)
                mpData[i] = mpData[i - 1];
        }
    }

    // Closes the gap at index; slot mSize - 1 is no longer live afterwards.
    void ShiftDown(int index) {
        if constexpr (kPlain) {
            std::memmove(mpData + index, mpData + index + 1, (mSize - index - 1) * sizeof(T));
        } else {
            for (int i = index; i < mSize - 1; ++i)
                mpData[i] = mpData[i + 1];
            mpData[mSize - 1].~T();
        }
    }

    T* mpData = nullptr;
    int mAllocSize = 0;
    int mSize = 0;
    int mStep = 1;
};

} // namespace DSP
