#pragma once

#include "DSP/Data/Complex.hpp"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

namespace DSP {

// A delay line of complex spectra stored flat: `capacity` slots of `width` bins in one block,
// with the slot semantics of TokenDelay (each slot empty until first written; a delay of d
// returns what was stored d pushes earlier; 0 and the capacity both return the slot just
// written; a change of delay moves only the write position).
//
// Real time: Prepare (main thread) reserves the block without touching it, so its pages
// become resident as the line first fills; SetDelay, Peek and Push never allocate.
class BinDelayLine {
public:
    using Bin = ComplexTmpl<float>;

    // Gives the line `capacity` (at least 1) empty slots of `width` bins and no delay.
    // Allocates only when the block grows.
    void Prepare(std::uint32_t capacity, int width);

    // The delay for the next Peek and Push, in slots: truncated and limited to 0 … capacity
    // (NaN counts as 0). Setting the delay it already has changes nothing.
    void SetDelay(float slots);

    // The slot under the read position (what the next Push returns), or null while empty.
    const Bin* Peek() const { return mFilled[mReadPos] ? Slot(mReadPos) : nullptr; }

    // Where the next Push stores: the caller writes `width` bins there first. With no delay
    // (or the capacity) it is the slot Peek returns.
    Bin* WriteSlot() { return Slot(mWritePos); }
    // Stores the write slot, advances and returns the delayed slot (valid until the next
    // Push), or null while that slot is still empty.
    const Bin* Push();

    int Width() const { return mWidth; }
    std::uint32_t Capacity() const { return static_cast<std::uint32_t>(mFilled.size()); }
    std::uint32_t CurrentDelay() const { return mDelay; }

private:
    struct Release {
        void operator()(Bin* bins) const { ::operator delete(bins); }
    };

    Bin* Slot(std::size_t slot) const { return mBins.get() + slot * std::size_t(mWidth); }
    std::size_t Next(std::size_t pos) const { return pos + 1 == mFilled.size() ? 0 : pos + 1; }

    std::unique_ptr<Bin[], Release> mBins;
    std::size_t mAllocatedBins = 0;
    int mWidth = 0;
    std::vector<unsigned char> mFilled{0};
    std::size_t mReadPos = 0;
    std::size_t mWritePos = 0;
    std::uint32_t mDelay = 0;
};

} // namespace DSP
