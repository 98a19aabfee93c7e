#include "DSP/Processing/Base/InControlRegistry.hpp"

#include "DSP/Processing/Base/InControl.hpp"

namespace DSP {

InControl& InControlRegistry::Get(const std::string& name) const {
    InControl* control = Find(name);
    DSP_CHECK(control != nullptr, "name not found in InControls collection: '" + name +
                                      "'. In ports availables: " + AvailableNames());
    return *control;
}

InControl& InControlRegistry::GetByNumber(int i) const {
    return At(i, "index for Control must be >=0", "index for Control must be < than Size");
}

} // namespace DSP
