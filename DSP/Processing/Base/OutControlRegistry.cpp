#include "DSP/Processing/Base/OutControlRegistry.hpp"

#include "DSP/Processing/Base/OutControl.hpp"

namespace DSP {

OutControl& OutControlRegistry::Get(const std::string& name) const {
    OutControl* control = Find(name);
    DSP_CHECK(control != nullptr, "name not found in OutControls collection: " + name);
    return *control;
}

OutControl& OutControlRegistry::GetByNumber(int i) const {
    return At(i, "index for Control must be >=0", "index for Control must be < than Size");
}

} // namespace DSP
