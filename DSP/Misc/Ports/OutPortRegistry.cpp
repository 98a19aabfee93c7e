#include "DSP/Misc/Ports/OutPortRegistry.hpp"

#include "DSP/Misc/Ports/OutPortBase.hpp"

namespace DSP {

OutPortBase& OutPortRegistry::Get(const std::string& name) const {
    OutPortBase* port = Find(name);
    DSP_CHECK(port != nullptr, "name not found in OutPorts collection: " + name);
    return *port;
}

OutPortBase& OutPortRegistry::GetByNumber(int i) const {
    return At(i, "index for Port must be >=0", "index for Port must be < than Size");
}

bool OutPortRegistry::AreReadyForWriting() const {
    for (OutPortBase* port : *this)
        if (!port->CanProduce())
            return false;
    return true;
}

} // namespace DSP
