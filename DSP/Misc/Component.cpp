#include "DSP/Misc/Component.hpp"

namespace DSP {

// Defined here so that the vtable has a single home in the library.
Component::~Component() = default;

} // namespace DSP
