#pragma once

#include "DSP/Misc/Array.hpp"

namespace DSP {

// Sizing and copying that reuse an owning array's storage. Plain Array::operator= and
// Array::Resize give the target exactly the source's size as its capacity, which reallocates
// whenever the sizes differ; these grow the capacity only when it is too small, so that once
// an array has held n elements, sizing or copying up to n never touches the heap again.

// The size becomes n (new elements zero or default-constructed).
template <class T> void SizeKeepingCapacity(Array<T>& array, int n) {
    if (array.AllocatedSize() < n)
        array.Resize(n);
    array.SetSize(n);
}

// dst = src; an assignment between arrays of equal size never reallocates.
template <class T> void AssignKeepingCapacity(Array<T>& dst, const Array<T>& src) {
    if (&dst == &src)
        return;
    SizeKeepingCapacity(dst, src.Size());
    dst = src;
}

} // namespace DSP
