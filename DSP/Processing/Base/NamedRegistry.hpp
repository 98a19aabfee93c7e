#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "DSP/Misc/Err.hpp"

namespace DSP {

/// The common core of the control and port registries: pointers to named items (anything
/// with GetName()) in publication order. The items are not owned.
template <class Item> class NamedRegistry {
public:
    using Iterator = typename std::vector<Item*>::const_iterator;

    void Publish(Item* item) { mItems.push_back(item); }
    /// Drops every entry for item (an item that goes away before its processing).
    void Remove(Item* item) {
        mItems.erase(std::remove(mItems.begin(), mItems.end(), item), mItems.end());
    }

    bool Has(const std::string& name) const { return Find(name) != nullptr; }
    int Size() const { return static_cast<int>(mItems.size()); }

    /// Every name in single quotes, joined by ", ".
    std::string AvailableNames() const {
        std::string names;
        for (std::size_t i = 0; i < mItems.size(); ++i) {
            if (i > 0)
                names += ", ";
            names += "'" + mItems[i]->GetName() + "'";
        }
        return names;
    }

    Iterator begin() const { return mItems.begin(); }
    Iterator end() const { return mItems.end(); }

protected:
    /// The first item named exactly name, or null.
    Item* Find(const std::string& name) const {
        for (Item* item : mItems)
            if (item->GetName() == name)
                return item;
        return nullptr;
    }

    /// The i-th item; the two messages report an index below 0 and one at or above Size().
    Item& At(int i, const char* negativeMessage, const char* tooLargeMessage) const {
        DSP_CHECK(i >= 0, negativeMessage);
        DSP_CHECK(i < Size(), tooLargeMessage);
        return *mItems[static_cast<std::size_t>(i)];
    }

private:
    std::vector<Item*> mItems;
};

} // namespace DSP
