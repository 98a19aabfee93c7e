#pragma once

#include <string>

#include "DSP/Processing/Base/NamedRegistry.hpp"

namespace DSP {

class OutControl;

/// The out-controls a processing has published, in publication order (not owned).
class OutControlRegistry : public NamedRegistry<OutControl> {
public:
    /// The first control named exactly name; fails when there is none.
    OutControl& Get(const std::string& name) const;
    /// The i-th published control; fails when i is outside 0 .. Size()-1.
    OutControl& GetByNumber(int i) const;
};

} // namespace DSP
