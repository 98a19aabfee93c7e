#pragma once

#include <string>

#include "DSP/Processing/Base/NamedRegistry.hpp"

namespace DSP {

class InControl;

/// The in-controls a processing has published, in publication order (not owned).
class InControlRegistry : public NamedRegistry<InControl> {
public:
    /// The first control named exactly name; fails when there is none.
    InControl& Get(const std::string& name) const;
    /// The i-th published control; fails when i is outside 0 .. Size()-1.
    InControl& GetByNumber(int i) const;
};

} // namespace DSP
