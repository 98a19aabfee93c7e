#pragma once

#include <vector>

#include "DSP/Processing/Base/Processing.hpp"

namespace DSP {

/// A processing that holds children (pointers, in insertion order, without duplicates; the
/// composite does not own them) and starts and stops them in that order. A child inserted
/// here has this composite as its parent until it is removed, moved or destroyed; a composite
/// that goes away first leaves its children without a parent.
class ProcessingComposite : public Processing {
public:
    ~ProcessingComposite() override;

    const char* GetDSPClassName() const override { return "Composite"; }

    /// Appends child unless it is already present. Inserting a processing into itself or into
    /// one of its own descendants fails.
    void Insert(Processing& child);
    /// Removes child if present.
    void Remove(Processing& child);

    bool HasChild(const Processing& child) const;
    const std::vector<Processing*>& GetChildren() const { return mChildren; }

protected:
    /// Starts each child in order. If a child's start throws, the children before it are
    /// stopped again and a DSP::Err with the caught text is thrown.
    bool ConcreteStart() override;
    /// Stops each child in order.
    bool ConcreteStop() override;

private:
    friend class Processing;

    /// Makes this composite child's parent: child leaves wherever it was and is appended.
    void Adopt(Processing& child);
    /// Drops child from the list without touching its parent field.
    void EraseChild(const Processing& child);

    std::vector<Processing*> mChildren;
};

} // namespace DSP
