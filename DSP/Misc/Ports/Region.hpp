#pragma once

#include <vector>

namespace DSP {

/// A window on a stream of tokens: the window starts at absolute stream position Pos(),
/// holds Size() tokens, advances by Hop() tokens per step, and its first token lies at index
/// BeginDistance() of the stream's buffer. A writing region and the reading regions linked to
/// it share one stream. Sizes and hops are set at configuration time.
class Region {
public:
    using ReaderList = std::vector<Region*>;

    Region() = default;
    Region(const Region&) = delete;
    Region& operator=(const Region&) = delete;
    virtual ~Region() = default;

    long Pos() const { return mPos; }
    void Pos(long pos) { mPos = pos; }
    int Size() const { return mSize; }
    /// Sets the window size and lets the stream grow for it. A negative size fails.
    void Size(int size);
    int Hop() const { return mHop; }
    /// A hop above the size or below zero fails.
    void Hop(int hop);
    int BeginDistance() const { return mBeginDistance; }
    void BeginDistance(int distance) { mBeginDistance = distance; }

    /// The writing region of the stream: the region itself for a writer, the producer for a
    /// linked reader, null for an unlinked reader.
    virtual Region* ProducerRegion() = 0;
    /// The reading regions linked to the producer (empty without one).
    virtual ReaderList::iterator BeginReaders() = 0;
    virtual ReaderList::iterator EndReaders() = 0;

protected:
    virtual void SizeChanged(int size) = 0;

private:
    long mPos = 0;
    int mSize = 1;
    int mHop = 1;
    int mBeginDistance = 0;
};

} // namespace DSP
