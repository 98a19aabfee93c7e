#include "DSP/Misc/Ports/InPortRegistry.hpp"

#include "DSP/Misc/Ports/InPortBase.hpp"

namespace DSP {

InPortBase& InPortRegistry::Get(const std::string& name) const {
    InPortBase* port = Find(name);
    DSP_CHECK(port != nullptr, "name not found in InPorts collection: '" + name +
                                   "'. In ports availables: " + AvailableNames());
    return *port;
}

InPortBase& InPortRegistry::GetByNumber(int i) const {
    return At(i, "index for Port must be >=0", "index for Port must be < than Size");
}

bool InPortRegistry::AreReadyForReading() const {
    for (InPortBase* port : *this)
        if (!port->CanConsume())
            return false;
    return true;
}

} // namespace DSP
