#include "Quorvel/Transformations/BinDelayLine.hpp"

namespace DSP {

void BinDelayLine::Prepare(std::uint32_t capacity, int width) {
    const std::size_t slots = capacity > 0 ? capacity : 1;
    const std::size_t bins = slots * std::size_t(width > 0 ? width : 0);
    if (bins > mAllocatedBins) {
        // Raw storage: nothing is read before it is written, and untouched pages stay free.
        mBins.reset(static_cast<Bin*>(::operator new(bins * sizeof(Bin))));
        mAllocatedBins = bins;
    }
    mWidth = width > 0 ? width : 0;
    mFilled.assign(slots, 0);
    mReadPos = 0;
    mWritePos = 0;
    mDelay = 0;
}

void BinDelayLine::SetDelay(float slots) {
    const auto capacity = Capacity();
    std::uint32_t delay = 0;
    if (slots >= static_cast<float>(capacity))
        delay = capacity;
    else if (slots > 0.f)
        delay = static_cast<std::uint32_t>(slots);
    if (delay == mDelay)
        return;
    mWritePos = (mReadPos + delay) % mFilled.size();
    mDelay = delay;
}

const BinDelayLine::Bin* BinDelayLine::Push() {
    mFilled[mWritePos] = 1;
    mWritePos = Next(mWritePos);
    const std::size_t read = mReadPos;
    mReadPos = Next(mReadPos);
    return mFilled[read] ? Slot(read) : nullptr;
}

} // namespace DSP
