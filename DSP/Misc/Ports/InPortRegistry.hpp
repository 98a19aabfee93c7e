#pragma once

#include <string>

#include "DSP/Processing/Base/NamedRegistry.hpp"

namespace DSP {

class InPortBase;

/// The in-ports a processing has published, in publication order (not owned).
class InPortRegistry : public NamedRegistry<InPortBase> {
public:
    /// The first port named exactly name; fails when there is none.
    InPortBase& Get(const std::string& name) const;
    /// The i-th published port; fails when i is outside 0 .. Size()-1.
    InPortBase& GetByNumber(int i) const;
    /// True when every port can consume.
    bool AreReadyForReading() const;
};

} // namespace DSP
