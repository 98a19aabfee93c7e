#include "DSP/Misc/Ports/Region.hpp"

#include "DSP/Misc/Err.hpp"

namespace DSP {

void Region::Size(int size) {
    DSP_CHECK(size >= 0, "Region::size() - size can't be negative");
    const int oldSize = mSize;
    mSize = size;
    try {
        SizeChanged(size);
    } catch (...) {
        mSize = oldSize;
        throw;
    }
}

void Region::Hop(int hop) {
    DSP_CHECK(hop <= mSize, "Region::hop() - hop can't be greater than size");
    // A negative hop would walk the window backwards out of the buffer.
    DSP_CHECK(hop >= 0, "Region::hop() - hop can't be negative");
    mHop = hop;
}

} // namespace DSP
