#pragma once

#include "DSP/Misc/Array.hpp"

namespace DSP {

/// An array of int indices that starts as 0, 1, 2, ... (growth step 1).
class IndexArray : public Array<int> {
public:
    explicit IndexArray(int size = 0);

    IndexArray* Species() const override { return new IndexArray(); }
    IndexArray* DeepCopy() const override { return new IndexArray(*this); }
    IndexArray* ShallowCopy() const override { return new IndexArray(*this); }

    /// Rewrites element i to i for every valid element.
    void Reset();
};

} // namespace DSP
