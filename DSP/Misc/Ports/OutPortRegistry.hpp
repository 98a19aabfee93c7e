#pragma once

#include <string>

#include "DSP/Processing/Base/NamedRegistry.hpp"

namespace DSP {

class OutPortBase;

/// The out-ports a processing has published, in publication order (not owned).
class OutPortRegistry : public NamedRegistry<OutPortBase> {
public:
    /// The first port named exactly name; fails when there is none.
    OutPortBase& Get(const std::string& name) const;
    /// The i-th published port; fails when i is outside 0 .. Size()-1.
    OutPortBase& GetByNumber(int i) const;
    /// True when every port can produce.
    bool AreReadyForWriting() const;
};

} // namespace DSP
